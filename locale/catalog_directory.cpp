#include "locale/catalog_directory.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "locale/catalog_record.h"
#include "platform/os/text.h"

namespace slp {
namespace {

constexpr std::uint64_t kFixedFields = 24;

std::uint64_t Le64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void PutLe64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i, v >>= 8) p[i] = static_cast<std::uint8_t>(v & 0xff);
}

bool Inside(const ByteSource& file, std::uint64_t offset, std::uint64_t size) {
  return offset <= file.Size() && size <= file.Size() - offset;
}

bool IsBlankOrControl(unsigned char c) { return c <= ' ' || c == 0x7f; }

}  // namespace

bool MemorySource::Read(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
  std::copy_n(bytes_.data() + offset, out.size(), out.data());
  return true;
}

std::optional<std::vector<AppendedCatalog>> ReadCatalogDirectory(const ByteSource& file,
                                                                 std::uint64_t first) {
  std::vector<AppendedCatalog> catalogs;
  std::uint64_t entry = first;
  for (;;) {
    std::array<std::uint8_t, kFixedFields> fields{};
    if (!file.Read(entry, std::span(fields).first(8))) return std::nullopt;
    const std::uint64_t next = Le64(fields.data());
    if (next == 0) return catalogs;
    // Each entry lies after the one before, so the chain cannot loop.
    if (next < entry || next - entry < kFixedFields) return std::nullopt;
    const std::uint64_t name_size = next - entry - kFixedFields;
    if (name_size > kMaxCatalogNameField || !file.Read(entry, fields)) return std::nullopt;
    AppendedCatalog catalog;
    catalog.offset = Le64(fields.data() + 8);
    catalog.size = Le64(fields.data() + 16);
    if (!Inside(file, catalog.offset, catalog.size)) return std::nullopt;
    std::string raw(name_size, '\0');
    if (!file.Read(entry + kFixedFields,
                   std::span(reinterpret_cast<std::uint8_t*>(raw.data()), raw.size())))
      return std::nullopt;
    catalog.name = TrimCatalogName(raw);
    catalogs.push_back(std::move(catalog));
    entry = next;
  }
}

std::string TrimCatalogName(std::string_view raw) {
  return std::string(
      text::Trim(raw, [](char c) { return IsBlankOrControl(static_cast<unsigned char>(c)); }));
}

bool AppendCatalog(std::vector<std::uint8_t>& file, std::span<const std::uint8_t> catalog,
                   std::string_view name, std::string_view signature, std::string& error) {
  if (signature.size() != kCatalogSignatureSize) {
    error = "the signature must be " + std::to_string(kCatalogSignatureSize) + " bytes";
    return false;
  }
  if (name.size() > kCatalogEntrySize - kFixedFields) {
    error = "the catalog name does not fit into a directory entry";
    return false;
  }
  const auto* sig = reinterpret_cast<const std::uint8_t*>(signature.data());
  const auto found = std::search(file.begin(), file.end(), sig, sig + signature.size());
  if (found == file.end()) {
    error = "the locating record's signature is not in the file";
    return false;
  }
  if (std::search(found + 1, file.end(), sig, sig + signature.size()) != file.end()) {
    error = "the locating record's signature occurs more than once in the file";
    return false;
  }
  const std::size_t record = static_cast<std::size_t>(found - file.begin());
  if (file.size() - record < kCatalogRecordSize) {
    error = "the locating record is cut off at the end of the file";
    return false;
  }
  if (Le64(file.data() + record + kCatalogSignatureSize) != 0) {
    error = "catalogs were already appended to this file";
    return false;
  }

  const std::uint64_t data = file.size();
  const std::uint64_t padded =
      std::max<std::uint64_t>(
          1, (catalog.size() + kCatalogDirectoryAlignment - 1) / kCatalogDirectoryAlignment) *
      kCatalogDirectoryAlignment;
  const std::uint64_t entry = data + padded;
  const std::uint64_t terminator = entry + kCatalogEntrySize;

  file.reserve(terminator + 8);
  file.insert(file.end(), catalog.begin(), catalog.end());
  file.resize(entry, 0);
  std::uint8_t fields[kFixedFields];
  PutLe64(fields, terminator);
  PutLe64(fields + 8, data);
  PutLe64(fields + 16, catalog.size());
  file.insert(file.end(), fields, fields + kFixedFields);
  file.insert(file.end(), name.begin(), name.end());
  file.resize(terminator, ' ');
  file.resize(terminator + 8, 0);
  PutLe64(file.data() + record + kCatalogSignatureSize, entry);
  return true;
}

}  // namespace slp
