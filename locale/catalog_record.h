#pragma once
// The locating record each executable carries in its initialised data, 44 bytes: a 36-byte
// ASCII signature by which the build's catalog appender finds the record in the file, then
// the file offset of the first catalog directory entry (8 bytes, little-endian; 0 until
// catalogs are appended after linking).

#include <cstddef>
#include <cstdint>
#include <string>

namespace slp {

inline constexpr std::size_t kCatalogRecordSize = 44;
inline constexpr std::size_t kCatalogSignatureSize = 36;

// The offset the appender wrote into this program's record; 0 when nothing was appended.
std::uint64_t AppendedDirectoryOffset();

// The signature, read from this program's own record. The program holds the text nowhere
// else, so the appender finds it exactly once in the executable.
std::string CatalogRecordSignature();

}  // namespace slp
