#pragma once
// GNU MO message catalogs: a reader that trusts nothing in the bytes it is given.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace slp {

class MoCatalog {
 public:
  // Reads a catalog in either byte order (magic 0x950412de), major revision 0 or 1. Every
  // table, every string and the hash table are checked to lie inside `bytes`; on failure
  // returns nullopt and says why in `error`. The entries need not be sorted.
  static std::optional<MoCatalog> Parse(std::span<const std::uint8_t> bytes,
                                        std::string* error = nullptr);

  // The translation stored for `key` (an identifier's bytes up to its first NUL, so a plural
  // entry is found by its singular form); the translation likewise ends at its first NUL.
  // nullopt when the catalog has no such entry. The empty key finds the header.
  std::optional<std::string_view> Find(std::string_view key) const;

  // Number of entries, the header included.
  std::size_t Count() const { return entries_.size(); }

  // The header entry (the translation of ""), empty when the catalog has none.
  std::string_view Header() const;
  // The charset the header's Content-Type names ("UTF-8"); empty when it names none.
  std::string Charset() const;
  // Whether the header declares UTF-8 (the charset "UTF-8" or "UTF8", any letter case).
  bool DeclaresUtf8() const;

 private:
  struct Entry {
    std::uint32_t key_offset, key_length;
    std::uint32_t value_offset, value_length;
  };
  std::string_view KeyOf(const Entry& e) const {
    return {data_.data() + e.key_offset, e.key_length};
  }
  std::string_view ValueOf(const Entry& e) const {
    return {data_.data() + e.value_offset, e.value_length};
  }

  std::string data_;
  std::vector<Entry> entries_;  // sorted by key bytes; of equal keys the first stored is first
};

}  // namespace slp
