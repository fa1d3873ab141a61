#include "platform/os/version_block.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <iterator>

#include "platform/os/text.h"

// The linker marks the bounds of a section whose name is a C identifier (kVersionSectionName).
// Weak: a program that carries no version block links all the same and finds none.
extern "C" {
extern const std::uint8_t __start_slp_version[] __attribute__((weak));
extern const std::uint8_t __stop_slp_version[] __attribute__((weak));
}

namespace slp {
namespace {

using Utf16 = std::u16string;
using text::FoldAscii;

// ---------------------------------------------------------------------------------------------
// Byte access. Every caller has checked that the bytes exist.

std::uint16_t Read16(ByteView b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Read32(ByteView b, std::size_t at) {
  return static_cast<std::uint32_t>(Read16(b, at)) |
         (static_cast<std::uint32_t>(Read16(b, at + 2)) << 16);
}

std::uint64_t Read64(ByteView b, std::size_t at) {
  return static_cast<std::uint64_t>(Read32(b, at)) |
         (static_cast<std::uint64_t>(Read32(b, at + 4)) << 32);
}

std::size_t Align4(std::size_t at) { return (at + 3) & ~static_cast<std::size_t>(3); }

Utf16 Ascii16(std::string_view ascii) { return Utf16(ascii.begin(), ascii.end()); }

// ---------------------------------------------------------------------------------------------
// Nodes

struct Node {
  std::size_t start = 0;
  std::size_t end = 0;
  std::uint16_t type = 0;
  std::size_t key_start = 0;
  std::size_t key_end = 0;  // at the terminating zero
  std::size_t value_start = 0;
  std::size_t value_size = 0;
  std::size_t children_start = 0;
};

// One node at `start` that must end by `limit`. Text values (wType 1) count 16-bit units and
// are clipped to the node, since some compilers count them in bytes; binary values must fit.
std::optional<Node> ReadNode(ByteView b, std::size_t start, std::size_t limit) {
  if (limit > b.size() || start > limit || limit - start < 6) return std::nullopt;
  const std::size_t length = Read16(b, start);
  if (length < 6 || length > limit - start) return std::nullopt;
  Node n;
  n.start = start;
  n.end = start + length;
  const std::size_t value_length = Read16(b, start + 2);
  n.type = Read16(b, start + 4);
  n.key_start = start + 6;
  std::size_t k = n.key_start;
  for (;;) {
    if (n.end - k < 2) return std::nullopt;
    if (Read16(b, k) == 0) break;
    k += 2;
  }
  n.key_end = k;
  n.value_start = std::min(Align4(k + 2), n.end);
  const std::size_t available = n.end - n.value_start;
  if (n.type == 1) {
    n.value_size = std::min(value_length * 2, available);
  } else {
    if (value_length > available) return std::nullopt;
    n.value_size = value_length;
  }
  n.children_start = std::min(Align4(n.value_start + n.value_size), n.end);
  return n;
}

// Calls `visit` for each child until it returns false. A zero length word ends the list (it
// is padding); a child that does not fit makes the result false.
bool ForEachChild(ByteView b, const Node& parent, const std::function<bool(const Node&)>& visit) {
  std::size_t pos = parent.children_start;
  while (pos < parent.end && parent.end - pos >= 6) {
    if (Read16(b, pos) == 0) break;
    const auto child = ReadNode(b, pos, parent.end);
    if (!child) return false;
    if (!visit(*child)) return true;
    pos = Align4(child->end);
  }
  return true;
}

bool KeyEquals(ByteView b, const Node& n, const Utf16& key, bool ignore_case) {
  if ((n.key_end - n.key_start) / 2 != key.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const char16_t c = Read16(b, n.key_start + 2 * i);
    if (ignore_case ? FoldAscii(c) != FoldAscii(key[i]) : c != key[i]) return false;
  }
  return true;
}

// Every node down to `depth` levels below `node` fits its parent.
bool TreeFits(ByteView b, const Node& node, int depth) {
  if (depth == 0) return true;
  bool fits = true;
  const bool listed = ForEachChild(b, node, [&](const Node& child) {
    fits = TreeFits(b, child, depth - 1);
    return fits;
  });
  return listed && fits;
}

constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;

// A consistent block at the start of `candidate`: returns its bytes, or an empty view.
ByteView ValidBlockAt(ByteView candidate) {
  const auto root = ReadNode(candidate, 0, candidate.size());
  if (!root || root->type > 1 || !KeyEquals(candidate, *root, Ascii16(kVersionRootKey), false)) {
    return {};
  }
  if (root->value_size != 0 && (root->value_size != kFixedFileInfoSize ||
                                Read32(candidate, root->value_start) != kFixedSignature)) {
    return {};
  }
  // StringFileInfo > StringTable > String is the deepest standard branch.
  if (!TreeFits(candidate, *root, 3)) return {};
  return candidate.first(root->end);
}

// The first consistent block anywhere in `bytes`.
ByteView SearchVersionBlock(ByteView bytes) {
  std::vector<std::uint8_t> needle;
  for (const char c : std::string_view(kVersionRootKey, sizeof kVersionRootKey)) {
    needle.push_back(static_cast<std::uint8_t>(c));
    needle.push_back(0);
  }
  auto at = bytes.begin();
  for (;;) {
    at = std::search(at, bytes.end(), needle.begin(), needle.end());
    if (at == bytes.end()) return {};
    const auto key_offset = static_cast<std::size_t>(at - bytes.begin());
    if (key_offset >= 6) {
      const ByteView block = ValidBlockAt(bytes.subspan(key_offset - 6));
      if (!block.empty()) return block;
    }
    ++at;
  }
}

// ---------------------------------------------------------------------------------------------
// ELF section lookup, on whatever holds the file: its bytes in memory or the open file.

// `size` bytes at `offset`, fewer where the file ends.
using ReadAt = std::function<std::vector<std::uint8_t>(std::uint64_t offset, std::size_t size)>;

struct Range {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

// Where a named section of a little-endian ELF file of `file_size` bytes lies; nullopt when
// the file is no such ELF file, has no such section or its tables leave the file.
std::optional<Range> ElfSection(const ReadAt& read, std::uint64_t file_size,
                                std::string_view name) {
  const std::vector<std::uint8_t> header = read(0, 64);
  const ByteView f(header);
  if (f.size() < 52 || f[0] != 0x7F || f[1] != 'E' || f[2] != 'L' || f[3] != 'F' || f[5] != 1) {
    return std::nullopt;
  }
  const bool is64 = f[4] == 2;
  if (!is64 && f[4] != 1) return std::nullopt;
  if (is64 && f.size() < 64) return std::nullopt;
  const std::uint64_t shoff = is64 ? Read64(f, 0x28) : Read32(f, 0x20);
  const std::size_t entsize = Read16(f, is64 ? 0x3A : 0x2E);
  const std::size_t count = Read16(f, is64 ? 0x3C : 0x30);
  const std::size_t strndx = Read16(f, is64 ? 0x3E : 0x32);
  if (entsize < (is64 ? 64u : 40u) || strndx >= count || shoff > file_size ||
      count * entsize > file_size - shoff) {
    return std::nullopt;
  }
  const std::vector<std::uint8_t> table_bytes = read(shoff, count * entsize);
  if (table_bytes.size() != count * entsize) return std::nullopt;
  const ByteView table(table_bytes);
  // Offset, size and type of section i, its place checked against the file.
  auto section = [&](std::size_t i, Range& range) {
    const std::size_t h = i * entsize;
    range.offset = is64 ? Read64(table, h + 0x18) : Read32(table, h + 0x10);
    range.size = is64 ? Read64(table, h + 0x20) : Read32(table, h + 0x14);
    return range.offset <= file_size && range.size <= file_size - range.offset;
  };
  Range names_range;
  if (!section(strndx, names_range)) return std::nullopt;
  const std::vector<std::uint8_t> names_bytes =
      read(names_range.offset, static_cast<std::size_t>(names_range.size));
  const ByteView names(names_bytes);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t name_at = Read32(table, i * entsize);
    const std::uint32_t type = Read32(table, i * entsize + 4);
    if (type == 8 /* SHT_NOBITS */ || name_at >= names.size()) continue;
    const auto* first = reinterpret_cast<const char*>(names.data()) + name_at;
    const std::size_t room = names.size() - name_at;
    const std::string_view section_name(first, std::find(first, first + room, '\0') - first);
    Range range;
    if (section_name == name && section(i, range)) return range;
  }
  return std::nullopt;
}

std::optional<Node> FindPath(ByteView block, std::string_view path) {
  auto node = ReadNode(block, 0, block.size());
  while (node) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    if (path.empty()) return node;
    const std::size_t cut = path.find('\\');
    Utf16 key;
    if (!text::Utf8ToUtf16(path.substr(0, cut), key)) return std::nullopt;
    path = cut == std::string_view::npos ? std::string_view() : path.substr(cut);
    std::optional<Node> found;
    const bool listed = ForEachChild(block, *node, [&](const Node& child) {
      if (!KeyEquals(block, child, key, true)) return true;
      found = child;
      return false;
    });
    if (!listed) return std::nullopt;
    node = found;
  }
  return std::nullopt;
}

}  // namespace

std::string TranslationKey(VersionTranslation translation) {
  char text[9];
  std::snprintf(text, sizeof text, "%04X%04X", translation.language, translation.code_page);
  return text;
}

ByteView OwnVersionBlock() {
  const std::uint8_t* begin = __start_slp_version;
  const std::uint8_t* end = __stop_slp_version;
  if (begin == nullptr || end <= begin) return {};
  return ValidBlockAt(ByteView(begin, end));
}

ByteView FindVersionBlock(ByteView file) {
  const ReadAt read = [file](std::uint64_t offset, std::size_t size) {
    if (offset >= file.size()) return std::vector<std::uint8_t>();
    const ByteView part = file.subspan(offset, std::min<std::uint64_t>(size, file.size() - offset));
    return std::vector<std::uint8_t>(part.begin(), part.end());
  };
  if (const auto section = ElfSection(read, file.size(), kVersionSectionName)) {
    const ByteView own = ValidBlockAt(file.subspan(section->offset, section->size));
    if (!own.empty()) return own;
  }
  return SearchVersionBlock(file);
}

std::vector<std::uint8_t> ReadVersionBlock(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat st {};
  std::vector<std::uint8_t> found;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const auto file_size = static_cast<std::uint64_t>(st.st_size);
    const ReadAt read = [fd, file_size](std::uint64_t offset, std::size_t size) {
      std::vector<std::uint8_t> bytes;
      if (offset >= file_size) return bytes;
      bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, file_size - offset)));
      std::size_t done = 0;
      while (done < bytes.size()) {
        const ssize_t n =
            pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      bytes.resize(done);
      return bytes;
    };
    if (const auto section = ElfSection(read, file_size, kVersionSectionName)) {
      const std::vector<std::uint8_t> bytes =
          read(section->offset, static_cast<std::size_t>(section->size));
      const ByteView own = ValidBlockAt(bytes);
      found.assign(own.begin(), own.end());
    }
    // Not one of our executables: its block may stand anywhere.
    if (found.empty()) {
      const std::vector<std::uint8_t> whole = read(0, static_cast<std::size_t>(file_size));
      const ByteView block = SearchVersionBlock(whole);
      found.assign(block.begin(), block.end());
    }
  }
  close(fd);
  return found;
}

std::optional<VersionValue> QueryVersionValue(ByteView block, std::string_view sub_block) {
  const auto node = FindPath(block, sub_block);
  if (!node) return std::nullopt;
  return VersionValue{block.subspan(node->value_start, node->value_size), node->type == 1};
}

std::optional<VersionFixedInfo> QueryFixedFileInfo(ByteView block) {
  const auto value = QueryVersionValue(block, "\\");
  if (!value || value->bytes.size() < kFixedFileInfoSize ||
      Read32(value->bytes, 0) != kFixedSignature) {
    return std::nullopt;
  }
  VersionFixedInfo f;
  std::uint32_t* fields[] = {&f.signature,       &f.struc_version,      &f.file_version_ms,
                             &f.file_version_ls, &f.product_version_ms, &f.product_version_ls,
                             &f.file_flags_mask, &f.file_flags,         &f.file_os,
                             &f.file_type,       &f.file_subtype,       &f.file_date_ms,
                             &f.file_date_ls};
  for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = Read32(value->bytes, 4 * i);
  return f;
}

std::vector<VersionTranslation> QueryTranslations(ByteView block) {
  std::vector<VersionTranslation> translations;
  const auto value = QueryVersionValue(block, "\\VarFileInfo\\Translation");
  if (!value) return translations;
  for (std::size_t at = 0; at + 4 <= value->bytes.size(); at += 4) {
    translations.push_back({Read16(value->bytes, at), Read16(value->bytes, at + 2)});
  }
  return translations;
}

std::optional<std::string> QueryVersionString(ByteView block, std::string_view sub_block) {
  const auto value = QueryVersionValue(block, sub_block);
  if (!value) return std::nullopt;
  std::string text;
  const ByteView b = value->bytes;
  for (std::size_t at = 0; at + 2 <= b.size(); at += 2) {
    std::uint32_t c = Read16(b, at);
    if (c == 0) break;
    if (c >= 0xD800 && c <= 0xDBFF && at + 4 <= b.size()) {
      const std::uint32_t low = Read16(b, at + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;  // a lone surrogate
    text::AppendUtf8(c, text);
  }
  return text;
}

}  // namespace slp
