#pragma once
// The translation layer: one language per run, one catalog chosen at the first lookup, texts
// looked up by their English UTF-8 bytes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "locale/catalog_directory.h"
#include "locale/mo_catalog.h"

namespace slp {

// Where a program's catalogs are.
struct CatalogPlaces {
  std::string folder;           // the executable's folder, ending in a separator
  std::string image;            // the file the catalogs were appended to (the running image)
  std::uint64_t directory = 0;  // its first directory entry; 0: nothing appended
};

enum class CatalogSource { None, Appended, File };

// Largest catalog read; anything bigger is not a catalog of ours.
inline constexpr std::uint64_t kMaxCatalogSize = 16u << 20;

class Translator {
 public:
  // Receives the layer's one message (a catalog that does not declare UTF-8).
  using Report = std::function<void(const std::string& message)>;

  // Reads the list of appended catalogs now; a damaged directory leaves it empty. The catalog
  // is chosen at the first lookup.
  Translator(std::string language, CatalogPlaces places, Report report = nullptr);

  const std::string& Language() const { return language_; }

  // `text` with carriage returns removed is the key; the result is its translation, or the
  // key when there is none, with every line break as CR LF. The empty text stays empty.
  std::string Translate(std::string_view text);

  // Known after the first lookup: where the chosen catalog came from (None: no catalog), its
  // relative name, and whether it translates (not when it does not declare UTF-8).
  CatalogSource Source() const { return source_; }
  const std::string& CatalogName() const { return catalog_name_; }
  bool Enabled() const { return catalog_.has_value(); }
  const std::vector<AppendedCatalog>& Appended() const { return appended_; }

 private:
  void Open();
  bool OpenCode(std::string_view code);
  bool Use(std::vector<std::uint8_t> bytes, CatalogSource source, std::string name);

  std::string language_;
  CatalogPlaces places_;
  Report report_;
  std::vector<AppendedCatalog> appended_;
  bool opened_ = false;
  std::optional<MoCatalog> catalog_;
  CatalogSource source_ = CatalogSource::None;
  std::string catalog_name_;
};

// `text` without carriage returns and with every line feed as CR LF.
std::string WithCrLf(std::string_view text);

// The process's translator, made at the first call (FixLanguage, first thing in main): its
// language comes from the environment, its appended catalogs from the program's own locating
// record, and its one message goes to standard error.
Translator& ProcessTranslator();
inline void FixLanguage() { ProcessTranslator(); }
// Translate() of the process's translator.
inline std::string TranslateText(std::string_view text) {
  return ProcessTranslator().Translate(text);
}

}  // namespace slp
