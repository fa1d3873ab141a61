// Appended catalog directories from arbitrary files: the first 8 bytes are where the chain
// starts, the rest is the file. The reader ends, stays inside the file, and every catalog it
// lists lies inside the file; the appender's output always reads back as what it wrote.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "locale/catalog_directory.h"
#include "locale/catalog_record.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::uint64_t Le64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  const std::uint64_t first = Le64(data);
  std::vector<std::uint8_t> file(data + 8, data + size);
  const slp::MemorySource source{std::span<const std::uint8_t>(file)};
  if (const auto catalogs = slp::ReadCatalogDirectory(source, first)) {
    for (const auto& c : *catalogs) {
      Check(c.offset <= file.size() && c.size <= file.size() - c.offset);
      Check(c.name.size() <= slp::kMaxCatalogNameField);
    }
  }

  // Appending to the same bytes: refused, or read back exactly.
  const std::vector<std::uint8_t> before = file;
  const std::string signature = slp::CatalogRecordSignature();
  const std::size_t catalog_size = first % 3000;
  const std::vector<std::uint8_t> catalog(catalog_size, 0x5a);
  std::string error;
  if (!slp::AppendCatalog(file, catalog, "locale\\fr_FR\\LC_MESSAGES\\default.mo", signature,
                          error)) {
    Check(file == before && !error.empty());
    return 0;
  }
  const auto at = std::search(file.begin(), file.end(), signature.begin(), signature.end());
  Check(at != file.end());
  const std::uint64_t entry = Le64(&*at + slp::kCatalogSignatureSize);
  const auto read = slp::ReadCatalogDirectory(slp::MemorySource(file), entry);
  Check(read && read->size() == 1 && read->front().offset == before.size() &&
        read->front().size == catalog_size &&
        read->front().name == "locale\\fr_FR\\LC_MESSAGES\\default.mo");
  return 0;
}
