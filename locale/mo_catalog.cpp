#include "locale/mo_catalog.h"

#include <algorithm>

#include "platform/os/text.h"

namespace slp {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::size_t kHeaderSize = 28;

class Words {
 public:
  Words(std::span<const std::uint8_t> bytes, bool big_endian)
      : bytes_(bytes), big_endian_(big_endian) {}
  // The 32-bit word at `offset`; the caller has checked that it lies inside.
  std::uint32_t At(std::uint64_t offset) const {
    const std::uint8_t* p = bytes_.data() + offset;
    if (big_endian_)
      return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
             p[3];
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
  }

 private:
  std::span<const std::uint8_t> bytes_;
  bool big_endian_;
};

std::nullopt_t Fail(std::string* error, const char* why) {
  if (error != nullptr) *error = why;
  return std::nullopt;
}

// A string of the catalog: inside the data, cut at its first NUL.
bool ReadString(std::span<const std::uint8_t> bytes, std::uint32_t length, std::uint32_t offset,
                std::uint32_t& cut_length) {
  if (std::uint64_t{offset} + length > bytes.size()) return false;
  const auto* begin = bytes.data() + offset;
  cut_length = static_cast<std::uint32_t>(std::find(begin, begin + length, 0) - begin);
  return true;
}

}  // namespace

std::optional<MoCatalog> MoCatalog::Parse(std::span<const std::uint8_t> bytes, std::string* error) {
  if (bytes.size() < kHeaderSize) return Fail(error, "shorter than an MO header");
  const bool big_endian = Words(bytes, false).At(0) != kMagic;
  const Words words(bytes, big_endian);
  if (words.At(0) != kMagic) return Fail(error, "not an MO catalog");
  if (const std::uint32_t major = words.At(4) >> 16; major > 1)
    return Fail(error, "unknown MO revision");
  const std::uint64_t count = words.At(8);
  const std::uint64_t originals = words.At(12);
  const std::uint64_t translations = words.At(16);
  const std::uint64_t hash_size = words.At(20);
  const std::uint64_t hash_offset = words.At(24);
  if (originals + count * 8 > bytes.size() || translations + count * 8 > bytes.size())
    return Fail(error, "string tables outside the data");
  if (hash_size != 0 && hash_offset + hash_size * 4 > bytes.size())
    return Fail(error, "hash table outside the data");

  MoCatalog catalog;
  catalog.entries_.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) {
    Entry e{};
    if (!ReadString(bytes, words.At(originals + i * 8), words.At(originals + i * 8 + 4),
                    e.key_length) ||
        !ReadString(bytes, words.At(translations + i * 8), words.At(translations + i * 8 + 4),
                    e.value_length))
      return Fail(error, "a string outside the data");
    e.key_offset = words.At(originals + i * 8 + 4);
    e.value_offset = words.At(translations + i * 8 + 4);
    catalog.entries_.push_back(e);
  }
  catalog.data_.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::stable_sort(
      catalog.entries_.begin(), catalog.entries_.end(),
      [&catalog](const Entry& a, const Entry& b) { return catalog.KeyOf(a) < catalog.KeyOf(b); });
  return catalog;
}

std::optional<std::string_view> MoCatalog::Find(std::string_view key) const {
  const auto it =
      std::lower_bound(entries_.begin(), entries_.end(), key,
                       [this](const Entry& e, std::string_view k) { return KeyOf(e) < k; });
  if (it == entries_.end() || KeyOf(*it) != key) return std::nullopt;
  return ValueOf(*it);
}

std::string_view MoCatalog::Header() const { return Find("").value_or(std::string_view()); }

std::string MoCatalog::Charset() const {
  std::string_view header = Header();
  while (!header.empty()) {
    const std::size_t end = std::min(header.find('\n'), header.size());
    std::string_view line = header.substr(0, end);
    header.remove_prefix(std::min(end + 1, header.size()));
    constexpr std::string_view kField = "content-type:";
    if (line.size() < kField.size() ||
        !text::EqualsIgnoreAsciiCase(line.substr(0, kField.size()), kField))
      continue;
    std::string lower(line);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return text::FoldAscii(c); });
    const std::size_t at = lower.find("charset=");
    if (at == std::string::npos) return "";
    std::string_view value = line.substr(at + 8);
    return std::string(value.substr(0, value.find_first_of("; \t\r")));
  }
  return "";
}

bool MoCatalog::DeclaresUtf8() const {
  const std::string charset = Charset();
  return text::EqualsIgnoreAsciiCase(charset, "UTF-8") ||
         text::EqualsIgnoreAsciiCase(charset, "UTF8");
}

}  // namespace slp
