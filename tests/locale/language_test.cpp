// The language of a run and the names of its catalog.
#include "locale/language.h"

#include <gtest/gtest.h>

namespace slp {
namespace {

TEST(ChooseLanguage, LangFirstThenTheUsersLocaleUpToTheFirstDot) {
  struct Case {
    const char* what;
    std::optional<std::string> lang;
    const char* user_locale;
    const char* expected;
  };
  const Case cases[] = {
      {"LANG on an English system", "fr_FR.UTF-8", "en_US.UTF-8", "fr_FR"},
      {"LANG on a French system", "en_US", "fr_FR.UTF-8", "en_US"},
      {"LANG with only a language", "fr", "fr_FR.UTF-8", "fr"},
      {"LANG is taken as written up to its dot", "fr_FR@euro", "fr_FR.UTF-8", "fr_FR@euro"},
      {"LANG of C", "C", "fr_FR.UTF-8", "C"},
      {"no LANG, French (France)", std::nullopt, "fr_FR.UTF-8", "fr_FR"},
      {"no LANG, French (Belgium)", std::nullopt, "fr_BE.UTF-8", "fr_BE"},
      {"no LANG, French (Canada)", std::nullopt, "fr_CA.ISO-8859-1", "fr_CA"},
      {"no LANG, French (Switzerland)", std::nullopt, "fr_CH", "fr_CH"},
      {"no LANG, a locale with a modifier", std::nullopt, "de_DE@euro", "de_DE"},
      {"no LANG, the C locale", std::nullopt, "C", "C"},
      {"an empty LANG counts as none", "", "fr_FR.UTF-8", "fr_FR"},
      {"nothing at all", std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int asked = 0;
    const std::string code = ChooseLanguage(c.lang, [&] {
      ++asked;
      return std::string(c.user_locale);
    });
    EXPECT_EQ(code, c.expected);
    EXPECT_EQ(asked, c.lang && !c.lang->empty() ? 0 : 1)
        << "the user's locale is asked only without LANG";
  }
}

TEST(CatalogNames, RelativeNameFileAndComparison) {
  EXPECT_EQ(CatalogRelativeName("fr_FR"), "locale\\fr_FR\\LC_MESSAGES\\default.mo");
  EXPECT_EQ(CatalogFilePath("/opt/sylp/", "fr_FR"),
            "/opt/sylp/locale/fr_FR/LC_MESSAGES/default.mo");
  EXPECT_EQ(CatalogFilePath("/opt/x\\y/", "fr"), "/opt/x\\y/locale/fr/LC_MESSAGES/default.mo")
      << "only the relative part changes separators";

  struct Case {
    const char* stored;
    bool same;
  };
  const Case cases[] = {
      {"locale\\fr_FR\\LC_MESSAGES\\default.mo", true},
      {"LOCALE\\FR_fr\\lc_messages\\DEFAULT.MO", true},
      {"locale/fr_FR/LC_MESSAGES/default.mo", true},
      {"locale\\fr_BE\\LC_MESSAGES\\default.mo", false},
      {"locale\\fr\\LC_MESSAGES\\default.mo", false},
      {"locale\\fr_FR\\LC_MESSAGES\\default.mo2", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(SameCatalogName(c.stored, CatalogRelativeName("fr_FR")), c.same);
  }
}

}  // namespace
}  // namespace slp
