#pragma once
// Catalogs appended to an executable file. After the program's own bytes come the catalog
// data, zero bytes up to the directory, and the directory: a chain of entries
//
//   offset in entry  size  field (integers little-endian)
//   0                8     file offset of the next entry; 0 ends the chain (nothing follows)
//   8                8     file offset of the catalog data
//   16               8     size of the catalog data
//   24               ..    relative name up to the next entry, ASCII padded with blanks
//
// The program's locating record (catalog_record.h) holds the offset of the first entry.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace slp {

// Random access to the bytes of a file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills `out` with the bytes at `offset`; false when they do not all lie inside.
  virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// Bytes in memory; they must outlive the source.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// A file opened for reading; reads nothing when it could not be opened.
class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  bool IsOpen() const { return fd_ >= 0; }
  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

struct AppendedCatalog {
  std::string name;  // as stored, blanks and control characters trimmed
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  bool operator==(const AppendedCatalog&) const = default;
};

// Longest name field the reader accepts; a longer one marks a damaged directory.
inline constexpr std::uint64_t kMaxCatalogNameField = 4096;

// Follows the chain that starts at `first`. Returns nullopt when the directory is damaged:
// an entry, its name or its catalog data not inside the file, a next entry that does not
// lie after the current entry's fixed fields, or a name field over kMaxCatalogNameField.
std::optional<std::vector<AppendedCatalog>> ReadCatalogDirectory(const ByteSource& file,
                                                                 std::uint64_t first);

// `raw` without leading and trailing blanks and control characters.
std::string TrimCatalogName(std::string_view raw);

// The layout the build writes: the directory starts at the next multiple of this many bytes
// after the catalog data's start (2048 after it for every catalog up to that size), and each
// entry, name field included, takes kCatalogEntrySize bytes.
inline constexpr std::uint64_t kCatalogDirectoryAlignment = 2048;
inline constexpr std::uint64_t kCatalogEntrySize = 256;

// Appends `catalog`, named `name`, to the executable `file` and writes the first entry's
// offset into the file's locating record, found by `signature`. Fails with a reason (and
// leaves `file` as it was) when the signature is missing or occurs more than once, when the
// record already holds an offset, or when the name does not fit into an entry.
bool AppendCatalog(std::vector<std::uint8_t>& file, std::span<const std::uint8_t> catalog,
                   std::string_view name, std::string_view signature, std::string& error);

}  // namespace slp
