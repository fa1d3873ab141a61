// The translation layer in one process: which catalog a language gets, how texts are looked
// up, and what a catalog that is not UTF-8 or a damaged directory do.
#include "locale/translator.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "locale/language.h"
#include "locale_test_support.h"

namespace slp {
namespace {

using testing::Bytes;
using testing::TempFolder;

const std::string kName = "locale\\fr_FR\\LC_MESSAGES\\default.mo";

Bytes NotifierCatalog() { return testing::ReadBytes(SLP_CATALOG_SLP); }

// A catalog told apart from the notifier's by its translation of "&Exit".
Bytes Marked(const std::string& exit) { return testing::BuildMo({{"&Exit", exit}}); }

// A program file in `folder`, with `catalog` appended under `name` when there is one.
CatalogPlaces MakeProgram(const TempFolder& folder, const std::optional<Bytes>& catalog,
                          const std::string& name = kName) {
  Bytes file = testing::FakeExecutable();
  CatalogPlaces places{folder.Path() + "/", folder / "program", 0};
  if (catalog) {
    std::string error;
    EXPECT_TRUE(AppendCatalog(file, *catalog, name, CatalogRecordSignature(), error)) << error;
    places.directory = testing::Le64At(file, testing::RecordAt(file) + kCatalogSignatureSize);
  }
  testing::WriteBytes(places.image, file);
  return places;
}

void PutCatalogFile(const TempFolder& folder, const std::string& code, const Bytes& catalog) {
  const std::string path = CatalogFilePath(folder.Path() + "/", code);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  testing::WriteBytes(path, catalog);
}

TEST(Translator, TheCatalogALanguageGets) {
  struct Case {
    const char* what;
    const char* language;
    std::optional<Bytes> appended;
    std::string appended_name;
    std::vector<std::pair<std::string, Bytes>> files;
    const char* exit;  // what "&Exit" becomes
    CatalogSource source;
  };
  const Case cases[] = {
      {"appended", "fr_FR", NotifierCatalog(), kName, {}, "&Quitter", CatalogSource::Appended},
      {"beside the program",
       "fr_FR",
       std::nullopt,
       kName,
       {{"fr_FR", NotifierCatalog()}},
       "&Quitter",
       CatalogSource::File},
      {"appended wins over a file of the same name",
       "fr_FR",
       NotifierCatalog(),
       kName,
       {{"fr_FR", Marked("&Quitter (fichier)")}},
       "&Quitter",
       CatalogSource::Appended},
      {"stored name in other letter case",
       "fr_FR",
       NotifierCatalog(),
       "LOCALE\\FR_fr\\lc_messages\\DEFAULT.MO",
       {},
       "&Quitter",
       CatalogSource::Appended},
      {"appended for another language",
       "fr_FR",
       NotifierCatalog(),
       "locale\\de_DE\\LC_MESSAGES\\default.mo",
       {{"fr_FR", Marked("&Quitter (fichier)")}},
       "&Quitter (fichier)",
       CatalogSource::File},
      {"a damaged appended catalog gives way to the file",
       "fr_FR",
       Bytes(300, 0x55),
       kName,
       {{"fr_FR", Marked("&Quitter (fichier)")}},
       "&Quitter (fichier)",
       CatalogSource::File},
      {"fr has no catalog",
       "fr",
       NotifierCatalog(),
       kName,
       {{"fr_FR", NotifierCatalog()}},
       "&Exit",
       CatalogSource::None},
      {"French (Belgium)",
       "fr_BE",
       NotifierCatalog(),
       kName,
       {{"fr_FR", NotifierCatalog()}},
       "&Exit",
       CatalogSource::None},
      {"French (Canada)",
       "fr_CA",
       NotifierCatalog(),
       kName,
       {{"fr_FR", NotifierCatalog()}},
       "&Exit",
       CatalogSource::None},
      {"French (Switzerland)",
       "fr_CH",
       NotifierCatalog(),
       kName,
       {{"fr_FR", NotifierCatalog()}},
       "&Exit",
       CatalogSource::None},
      {"the two-letter catalog when there is one",
       "fr_BE",
       NotifierCatalog(),
       kName,
       {{"fr", Marked("&Quitter (fr)")}},
       "&Quitter (fr)",
       CatalogSource::File},
      {"English",
       "en_US",
       NotifierCatalog(),
       kName,
       {{"fr_FR", NotifierCatalog()}},
       "&Exit",
       CatalogSource::None},
      {"no language at all", "", NotifierCatalog(), kName, {}, "&Exit", CatalogSource::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const CatalogPlaces places = MakeProgram(folder, c.appended, c.appended_name);
    for (const auto& [code, bytes] : c.files) PutCatalogFile(folder, code, bytes);
    int reports = 0;
    Translator t(c.language, places, [&](const std::string&) { ++reports; });
    EXPECT_EQ(t.Translate("&Exit"), c.exit);
    EXPECT_EQ(t.Source(), c.source);
    EXPECT_EQ(t.Enabled(), c.source != CatalogSource::None);
    EXPECT_EQ(reports, 0);
  }
}

TEST(Translator, LookupIsByTheTextWithoutCarriageReturnsAndLineBreaksComeBackAsCrLf) {
  TempFolder folder;
  PutCatalogFile(folder, "fr_FR",
                 testing::BuildMo({{"Line one\nLine two", "Ligne un\nLigne deux"},
                                   {"Stored with CR LF", "Enregistré\r\navec CR LF"},
                                   {"(minutes)", "(minutes)"},
                                   {"Exit", "Quitter"}}));
  Translator t("fr_FR", MakeProgram(folder, std::nullopt));
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"Line one\r\nLine two", "Ligne un\r\nLigne deux"},
      {"Line one\nLine two", "Ligne un\r\nLigne deux"},
      {"Stored with CR LF", "Enregistré\r\navec CR LF"},
      {"Exit\r", "Quitter"},
      {"(minutes)", "(minutes)"},
      {"Not in the catalog\nsecond line", "Not in the catalog\r\nsecond line"},
      {"exit", "exit"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(t.Translate(c.text), c.expected);
  }
}

TEST(Translator, TheNotifiersMessagesAsShown) {
  TempFolder folder;
  Translator t("fr_FR", MakeProgram(folder, NotifierCatalog()));
  // The translation lacks the identifier's trailing blank: the version follows directly.
  EXPECT_EQ(t.Translate("A new version is available: ") + "1.2.1.0",
            "Une nouvelle version est disponible :1.2.1.0");
  EXPECT_EQ(t.Translate("(minutes)"), "(minutes)");
  EXPECT_EQ(t.Translate("Sylp"), "Sylp") << "no entry: the design caption stays";
  for (const auto& [english, french] : testing::kNotifierCatalog)
    EXPECT_EQ(t.Translate(english), french);
}

TEST(Translator, ChosenAtTheFirstLookupAndNotLookedForAgain) {
  TempFolder folder;
  Translator before_the_file("fr_FR", MakeProgram(folder, std::nullopt));
  PutCatalogFile(folder, "fr_FR", NotifierCatalog());
  EXPECT_EQ(before_the_file.Translate("Exit"), "Quitter")
      << "the file was there at the first lookup";

  TempFolder empty;
  Translator t("fr_FR", MakeProgram(empty, std::nullopt));
  EXPECT_EQ(t.Translate("Exit"), "Exit");
  PutCatalogFile(empty, "fr_FR", NotifierCatalog());
  EXPECT_EQ(t.Translate("Exit"), "Exit");
  EXPECT_EQ(t.Source(), CatalogSource::None);
}

TEST(Translator, ACatalogThatIsNotUtf8TurnsTranslationOffAfterOneMessage) {
  const Bytes latin1 =
      testing::BuildMo({{"Exit", "Quitter"}}, "Content-Type: text/plain; charset=ISO-8859-1\n");
  struct Case {
    const char* what;
    std::optional<Bytes> appended;
    Bytes file;
  };
  const Case cases[] = {
      {"beside the program", std::nullopt, latin1},
      {"appended, with a good file beside", latin1, NotifierCatalog()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    PutCatalogFile(folder, "fr_FR", c.file);
    std::vector<std::string> reports;
    Translator t("fr_FR", MakeProgram(folder, c.appended),
                 [&](const std::string& message) { reports.push_back(message); });
    EXPECT_EQ(t.Translate("Exit"), "Exit");
    EXPECT_EQ(t.Translate("Exit"), "Exit");
    EXPECT_EQ(t.Translate("a\nb"), "a\r\nb");
    EXPECT_FALSE(t.Enabled());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(kName), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("ISO-8859-1"), std::string::npos) << reports[0];
  }
}

TEST(Translator, ADamagedDirectoryIsIgnoredSilently) {
  struct Case {
    const char* what;
    bool file;
    const char* exit;
  };
  const Case cases[] = {{"with a file beside", true, "&Quitter (fichier)"},
                        {"alone", false, "&Exit"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    CatalogPlaces places = MakeProgram(folder, NotifierCatalog());
    Bytes image = testing::ReadBytes(places.image);
    testing::PutLe64At(image, places.directory + 8, image.size());  // data past the end
    testing::WriteBytes(places.image, image);
    if (c.file) PutCatalogFile(folder, "fr_FR", Marked("&Quitter (fichier)"));
    int reports = 0;
    Translator t("fr_FR", places, [&](const std::string&) { ++reports; });
    EXPECT_TRUE(t.Appended().empty());
    EXPECT_EQ(t.Translate("&Exit"), c.exit);
    EXPECT_EQ(reports, 0);
  }
}

TEST(Translator, NoImageOrAnImageThatIsGoneTranslatesNothing) {
  TempFolder folder;
  CatalogPlaces places = MakeProgram(folder, NotifierCatalog());
  places.image = folder / "gone";
  Translator t("fr_FR", places);
  EXPECT_EQ(t.Translate("&Exit"), "&Exit");
}

}  // namespace
}  // namespace slp
