#include "locale/catalog_record.h"

namespace slp {
namespace {

// Writable and volatile: the record lives in initialised data where the appender patches it,
// and no compiler may fold a read of the offset to its initial 0. Spelt as characters, so the
// signature is stored once, here, and not again as a string constant or in debug information.
__attribute__((used)) volatile unsigned char slp_catalog_record[kCatalogRecordSize] = {
    '6', '6', '3', '7', 'D', 'B', '2', 'E', '-', '6', '2', 'E', '1', '-', '4',
    'A', '6', '0', '-', 'A', 'C', '1', '9', '-', 'C', '2', '3', '8', '6', '7',
    '0', '4', '6', 'A', '8', '9', 0,   0,   0,   0,   0,   0,   0,   0};

}  // namespace

std::uint64_t AppendedDirectoryOffset() {
  std::uint64_t offset = 0;
  for (std::size_t i = kCatalogRecordSize; i > kCatalogSignatureSize; --i)
    offset = (offset << 8) | slp_catalog_record[i - 1];
  return offset;
}

std::string CatalogRecordSignature() {
  std::string signature(kCatalogSignatureSize, '\0');
  for (std::size_t i = 0; i < kCatalogSignatureSize; ++i)
    signature[i] = static_cast<char>(slp_catalog_record[i]);
  return signature;
}

}  // namespace slp
