// MO catalogs from arbitrary bytes: reading never goes outside them, and whatever a catalog
// it accepts says, every entry it holds is found again by its own key.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "locale/mo_catalog.h"
#include "locale/translator.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Read from a copy of exactly `size` bytes, so that a read past the end is caught.
  const std::vector<std::uint8_t> bytes(data, data + size);
  std::string error;
  const auto catalog = slp::MoCatalog::Parse(std::span(bytes), &error);
  if (!catalog) {
    Check(!error.empty());
    return 0;
  }
  (void)catalog->Charset();
  (void)catalog->DeclaresUtf8();
  // Every key of the catalog's own strings finds a translation no longer than the data.
  const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (std::size_t at = 0; at < all.size() && at < 4096;) {
    const std::size_t end = std::min(all.find('\0', at), all.size());
    const std::string_view key = all.substr(at, end - at);
    if (const auto found = catalog->Find(key)) Check(found->size() <= bytes.size());
    at = end + 1;
  }
  Check(slp::WithCrLf(catalog->Header()).find("\r\r") == std::string::npos);
  return 0;
}
