#include "locale/language.h"

#include <algorithm>

#include "platform/os/text.h"

namespace slp {
namespace {

constexpr char kNativeSeparator = '/';

char Normalised(char c) {
  if (c == '\\') return kNativeSeparator;
  return text::FoldAscii(c);
}

std::string_view BeforeDot(std::string_view text) { return text.substr(0, text.find('.')); }

}  // namespace

std::string ReduceLocaleName(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  return std::string(locale);
}

std::string ChooseLanguage(const std::optional<std::string>& lang,
                           const std::function<std::string()>& user_locale) {
  if (lang && !lang->empty()) return std::string(BeforeDot(*lang));
  return std::string(BeforeDot(ReduceLocaleName(user_locale ? user_locale() : std::string())));
}

std::string CatalogRelativeName(std::string_view code) {
  return "locale\\" + std::string(code) + "\\LC_MESSAGES\\default.mo";
}

bool SameCatalogName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Normalised(x) == Normalised(y);
         });
}

std::string CatalogFilePath(std::string_view folder, std::string_view code) {
  std::string path = std::string(folder) + CatalogRelativeName(code);
  std::replace(path.begin() + static_cast<std::ptrdiff_t>(folder.size()), path.end(), '\\',
               kNativeSeparator);
  return path;
}

}  // namespace slp
