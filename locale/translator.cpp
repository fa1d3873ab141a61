#include "locale/translator.h"

#include <cstdio>
#include <utility>

#include "locale/catalog_record.h"
#include "locale/language.h"
#include "locale/system_locale.h"

namespace slp {
namespace {

std::optional<std::vector<std::uint8_t>> ReadRange(const ByteSource& source, std::uint64_t offset,
                                                   std::uint64_t size) {
  if (size > kMaxCatalogSize) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!source.Read(offset, bytes)) return std::nullopt;
  return bytes;
}

std::string WithoutCr(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

}  // namespace

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

Translator::Translator(std::string language, CatalogPlaces places, Report report)
    : language_(std::move(language)), places_(std::move(places)), report_(std::move(report)) {
  if (places_.directory == 0 || places_.image.empty()) return;
  const FileSource image(places_.image);
  if (auto catalogs = ReadCatalogDirectory(image, places_.directory))
    appended_ = std::move(*catalogs);
}

std::string Translator::Translate(std::string_view text) {
  if (!opened_) Open();
  const std::string key = WithoutCr(text);
  if (key.empty()) return key;
  if (catalog_) {
    if (const auto found = catalog_->Find(key)) return WithCrLf(*found);
  }
  return WithCrLf(key);
}

void Translator::Open() {
  opened_ = true;
  if (OpenCode(language_)) return;
  const std::string_view two = std::string_view(language_).substr(0, 2);
  if (two != language_) OpenCode(two);
}

bool Translator::OpenCode(std::string_view code) {
  if (code.empty()) return false;
  const std::string name = CatalogRelativeName(code);
  for (const AppendedCatalog& appended : appended_) {
    if (!SameCatalogName(appended.name, name)) continue;
    const FileSource image(places_.image);
    if (auto bytes = ReadRange(image, appended.offset, appended.size);
        bytes && Use(std::move(*bytes), CatalogSource::Appended, appended.name))
      return true;
  }
  const FileSource file(CatalogFilePath(places_.folder, code));
  if (file.IsOpen()) {
    if (auto bytes = ReadRange(file, 0, file.Size());
        bytes && Use(std::move(*bytes), CatalogSource::File, name))
      return true;
  }
  return false;
}

bool Translator::Use(std::vector<std::uint8_t> bytes, CatalogSource source, std::string name) {
  auto catalog = MoCatalog::Parse(bytes);
  if (!catalog) return false;
  catalog_name_ = std::move(name);
  source_ = source;
  if (!catalog->DeclaresUtf8()) {
    // Found, but its bytes cannot be shown as they are: everything stays English.
    if (report_) {
      const std::string charset = catalog->Charset();
      report_("the catalog " + catalog_name_ + " declares " +
              (charset.empty() ? std::string("no charset") : "the charset " + charset) +
              " instead of UTF-8; texts stay untranslated");
    }
    return true;
  }
  catalog_ = std::move(catalog);
  return true;
}

Translator& ProcessTranslator() {
  static Translator translator = [] {
    const std::string path = ThisExecutablePath();
    CatalogPlaces places;
    places.folder = path.substr(0, path.rfind('/') + 1);
    places.image = ThisExecutableImage();
    places.directory = AppendedDirectoryOffset();
    std::string program = path.substr(path.rfind('/') + 1);
    return Translator(ChooseLanguage(LangVariable(), UserLocaleName), std::move(places),
                      [program](const std::string& message) {
                        std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
                      });
  }();
  return translator;
}

}  // namespace slp
