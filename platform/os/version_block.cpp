#include "platform/os/version_block.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <iterator>

namespace slp {
namespace {

// ---------------------------------------------------------------------------------------------
// Text helpers

using Utf16 = std::u16string;

// Strict UTF-8 to UTF-16: overlong forms, surrogates and values above U+10FFFF are refused.
bool Utf8ToUtf16(std::string_view in, Utf16& out) {
  out.clear();
  std::size_t i = 0;
  while (i < in.size()) {
    const auto c = static_cast<unsigned char>(in[i]);
    std::uint32_t cp = 0;
    std::size_t extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if (c >= 0xC2 && c <= 0xDF) {
      cp = c & 0x1F;
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      cp = c & 0x0F;
      extra = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      cp = c & 0x07;
      extra = 3;
    } else {
      return false;
    }
    if (in.size() - i - 1 < extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(in[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += extra + 1;
  }
  return true;
}

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(static_cast<unsigned char>(x)) ==
                  FoldAscii(static_cast<unsigned char>(y));
         });
}

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

// ---------------------------------------------------------------------------------------------
// Builder

class BlockWriter {
 public:
  explicit BlockWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void U16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v & 0xFFFF));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Text(const Utf16& text) {
    for (char16_t c : text) U16(c);
    U16(0);
  }
  void Pad() {
    while (out_.size() % 4 != 0) out_.push_back(0);
  }

  // Header, key and the padding before the value; the length is patched by End.
  std::size_t Begin(std::uint16_t value_length, std::uint16_t type, const Utf16& key) {
    Pad();
    const std::size_t start = out_.size();
    U16(0);
    U16(value_length);
    U16(type);
    Text(key);
    Pad();
    return start;
  }

  bool End(std::size_t start) {
    const std::size_t length = out_.size() - start;
    if (length > 0xFFFF) return false;
    out_[start] = static_cast<std::uint8_t>(length & 0xFF);
    out_[start + 1] = static_cast<std::uint8_t>(length >> 8);
    return true;
  }

 private:
  std::vector<std::uint8_t>& out_;
};

Utf16 Ascii16(std::string_view ascii) { return Utf16(ascii.begin(), ascii.end()); }

// ---------------------------------------------------------------------------------------------
// Reader

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

constexpr std::size_t kFixedInfoSize = 52;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr char kRootKey[] = "VS_VERSION_INFO";

// A consistent block at the start of `candidate`: returns its bytes, or an empty view.
ByteView ValidBlockAt(ByteView candidate) {
  const auto root = ReadNode(candidate, 0, candidate.size());
  if (!root || root->type > 1 || !KeyEquals(candidate, *root, Ascii16(kRootKey), false)) {
    return {};
  }
  if (root->value_size != 0 && (root->value_size != kFixedInfoSize ||
                                Read32(candidate, root->value_start) != kFixedSignature)) {
    return {};
  }
  // StringFileInfo > StringTable > String is the deepest standard branch.
  if (!TreeFits(candidate, *root, 3)) return {};
  return candidate.first(root->end);
}

// The bytes of a named section of a little-endian ELF file; empty when there is none.
ByteView ElfSection(ByteView f, std::string_view name) {
  if (f.size() < 52 || f[0] != 0x7F || f[1] != 'E' || f[2] != 'L' || f[3] != 'F' || f[5] != 1) {
    return {};
  }
  const bool is64 = f[4] == 2;
  if (!is64 && f[4] != 1) return {};
  if (is64 && f.size() < 64) return {};
  const std::uint64_t shoff = is64 ? Read64(f, 0x28) : Read32(f, 0x20);
  const std::size_t entsize = Read16(f, is64 ? 0x3A : 0x2E);
  const std::size_t count = Read16(f, is64 ? 0x3C : 0x30);
  const std::size_t strndx = Read16(f, is64 ? 0x3E : 0x32);
  if (entsize < (is64 ? 64u : 40u) || strndx >= count || shoff > f.size() ||
      count * entsize > f.size() - shoff) {
    return {};
  }
  // Offset and size of section i, checked against the file.
  auto range = [&](std::size_t i, std::uint64_t& offset, std::uint64_t& size) {
    const std::size_t h = shoff + i * entsize;
    offset = is64 ? Read64(f, h + 0x18) : Read32(f, h + 0x10);
    size = is64 ? Read64(f, h + 0x20) : Read32(f, h + 0x14);
    return offset <= f.size() && size <= f.size() - offset;
  };
  std::uint64_t str_offset = 0;
  std::uint64_t str_size = 0;
  if (!range(strndx, str_offset, str_size)) return {};
  const ByteView names = f.subspan(str_offset, str_size);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t h = shoff + i * entsize;
    const std::uint32_t name_at = Read32(f, h);
    const std::uint32_t type = Read32(f, h + 4);
    if (type == 8 /* SHT_NOBITS */ || name_at >= names.size()) continue;
    const auto* first = reinterpret_cast<const char*>(names.data()) + name_at;
    const std::size_t room = names.size() - name_at;
    const std::string_view section_name(first, std::find(first, first + room, '\0') - first);
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    if (section_name == name && range(i, offset, size)) return f.subspan(offset, size);
  }
  return {};
}

std::optional<Node> FindPath(ByteView block, std::string_view path) {
  auto node = ReadNode(block, 0, block.size());
  while (node) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    if (path.empty()) return node;
    const std::size_t cut = path.find('\\');
    Utf16 key;
    if (!Utf8ToUtf16(path.substr(0, cut), key)) return std::nullopt;
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

// ---------------------------------------------------------------------------------------------
// Description text

bool ParseNumber(std::string_view text, std::uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "1.2.0.26" (one to four parts, missing parts are 0) into the two double words.
bool ParseVersion(std::string_view text, std::uint32_t& ms, std::uint32_t& ls) {
  std::uint16_t parts[4] = {0, 0, 0, 0};
  std::size_t count = 0;
  for (;;) {
    const std::size_t dot = text.find('.');
    const std::string_view part = Trim(text.substr(0, dot));
    std::uint32_t value = 0;
    if (count == 4 || part.empty() || part.find_first_not_of("0123456789") != part.npos ||
        !ParseNumber(part, value) || value > 0xFFFF) {
      return false;
    }
    parts[count++] = static_cast<std::uint16_t>(value);
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  ms = (static_cast<std::uint32_t>(parts[0]) << 16) | parts[1];
  ls = (static_cast<std::uint32_t>(parts[2]) << 16) | parts[3];
  return true;
}

bool ParseTranslationKey(std::string_view text, VersionTranslation& t) {
  if (text.size() != 8 || text.find_first_not_of("0123456789abcdefABCDEF") != text.npos) {
    return false;
  }
  std::uint32_t value = 0;
  std::from_chars(text.data(), text.data() + 8, value, 16);
  t.language = static_cast<std::uint16_t>(value >> 16);
  t.code_page = static_cast<std::uint16_t>(value & 0xFFFF);
  return true;
}

}  // namespace

std::string TranslationKey(VersionTranslation translation) {
  char text[9];
  std::snprintf(text, sizeof text, "%04X%04X", translation.language, translation.code_page);
  return text;
}

bool ParseVersionDescription(std::string_view text, VersionDescription& description,
                             std::string& error) {
  description = VersionDescription();
  enum class Section { kNone, kFixed, kVar, kStrings } section = Section::kNone;
  bool has_file_version = false;
  bool has_product_version = false;
  bool has_translation_line = false;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t line_number = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(line_number) + ": " + why;
    return false;
  };
  while (!text.empty()) {
    ++line_number;
    const std::size_t eol = text.find('\n');
    const std::string_view line = Trim(text.substr(0, eol));
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail("section header without ']'");
      const std::string_view name = Trim(line.substr(1, line.size() - 2));
      if (EqualsIgnoreCase(name, "FixedFileInfo")) {
        section = Section::kFixed;
      } else if (EqualsIgnoreCase(name, "VarFileInfo")) {
        section = Section::kVar;
      } else if (EqualsIgnoreCase(name.substr(0, 15), "StringFileInfo ")) {
        VersionStringTable table;
        if (!ParseTranslationKey(Trim(name.substr(15)), table.translation)) {
          return fail("a string table needs 8 hexadecimal digits (language, code page)");
        }
        for (const auto& other : description.string_tables) {
          if (other.translation == table.translation) return fail("string table given twice");
        }
        description.string_tables.push_back(std::move(table));
        section = Section::kStrings;
      } else {
        return fail("unknown section '" + std::string(name) + "'");
      }
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail("expected key = value");
    const std::string_view key = Trim(line.substr(0, eq));
    std::string_view value = Trim(line.substr(eq + 1));
    if (key.empty()) return fail("empty key");
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    VersionFixedInfo& fixed = description.fixed;
    switch (section) {
      case Section::kNone:
        return fail("key outside a section");
      case Section::kFixed: {
        struct Field {
          const char* name;
          std::uint32_t* target;
        };
        const Field fields[] = {{"FileFlagsMask", &fixed.file_flags_mask},
                                {"FileFlags", &fixed.file_flags},
                                {"FileOS", &fixed.file_os},
                                {"FileType", &fixed.file_type},
                                {"FileSubtype", &fixed.file_subtype}};
        if (EqualsIgnoreCase(key, "FileVersion")) {
          if (!ParseVersion(value, fixed.file_version_ms, fixed.file_version_ls)) {
            return fail("a version is up to four numbers 0..65535 separated by dots");
          }
          has_file_version = true;
          break;
        }
        if (EqualsIgnoreCase(key, "ProductVersion")) {
          if (!ParseVersion(value, fixed.product_version_ms, fixed.product_version_ls)) {
            return fail("a version is up to four numbers 0..65535 separated by dots");
          }
          has_product_version = true;
          break;
        }
        const auto field = std::find_if(std::begin(fields), std::end(fields), [&](const Field& f) {
          return EqualsIgnoreCase(key, f.name);
        });
        if (field == std::end(fields)) return fail("unknown key '" + std::string(key) + "'");
        if (!ParseNumber(value, *field->target)) return fail("not a 32-bit number");
        break;
      }
      case Section::kVar: {
        if (!EqualsIgnoreCase(key, "Translation")) {
          return fail("unknown key '" + std::string(key) + "'");
        }
        has_translation_line = true;
        std::string_view list = value;
        while (!list.empty()) {
          const std::size_t cut = list.find_first_of(", \t");
          const std::string_view item = list.substr(0, cut);
          list = cut == std::string_view::npos ? std::string_view() : list.substr(cut + 1);
          if (item.empty()) continue;
          VersionTranslation t;
          if (!ParseTranslationKey(item, t)) {
            return fail("a translation is 8 hexadecimal digits (language, code page)");
          }
          description.translations.push_back(t);
        }
        break;
      }
      case Section::kStrings: {
        auto& strings = description.string_tables.back().strings;
        for (const auto& [k, v] : strings) {
          if (EqualsIgnoreCase(k, key)) return fail("key '" + std::string(key) + "' given twice");
        }
        Utf16 probe;
        if (!Utf8ToUtf16(key, probe) || !Utf8ToUtf16(value, probe)) {
          return fail("text is not valid UTF-8");
        }
        // A zero would end the text early; a backslash separates keys in a query path.
        if (key.find('\\') != key.npos || key.find('\0') != key.npos ||
            value.find('\0') != value.npos) {
          return fail("a key holds a backslash or a zero byte, or a value a zero byte");
        }
        strings.emplace_back(std::string(key), std::string(value));
        break;
      }
    }
  }
  line_number = 0;
  if (!has_file_version) return fail("FileVersion is missing from [FixedFileInfo]");
  if (!has_product_version) {
    description.fixed.product_version_ms = description.fixed.file_version_ms;
    description.fixed.product_version_ls = description.fixed.file_version_ls;
  }
  if (!has_translation_line) {
    for (const auto& table : description.string_tables) {
      description.translations.push_back(table.translation);
    }
  }
  for (const auto& t : description.translations) {
    const bool has_table =
        std::any_of(description.string_tables.begin(), description.string_tables.end(),
                    [&](const VersionStringTable& table) { return table.translation == t; });
    if (!has_table) return fail("translation " + TranslationKey(t) + " has no string table");
  }
  return true;
}

bool BuildVersionBlock(const VersionDescription& description, std::vector<std::uint8_t>& block,
                       std::string& error) {
  block.clear();
  BlockWriter w(block);
  const VersionFixedInfo& f = description.fixed;
  const std::size_t root = w.Begin(kFixedInfoSize, 0, Ascii16(kRootKey));
  for (std::uint32_t v :
       {f.signature, f.struc_version, f.file_version_ms, f.file_version_ls, f.product_version_ms,
        f.product_version_ls, f.file_flags_mask, f.file_flags, f.file_os, f.file_type,
        f.file_subtype, f.file_date_ms, f.file_date_ls}) {
    w.U32(v);
  }
  auto too_long = [&](const std::string& what) {
    error = what + " is longer than 65535 bytes";
    block.clear();
    return false;
  };
  if (!description.string_tables.empty()) {
    const std::size_t file_info = w.Begin(0, 1, Ascii16("StringFileInfo"));
    for (const auto& table : description.string_tables) {
      const std::size_t table_start = w.Begin(0, 1, Ascii16(TranslationKey(table.translation)));
      for (const auto& [key, value] : table.strings) {
        Utf16 key16;
        Utf16 value16;
        if (!Utf8ToUtf16(key, key16) || !Utf8ToUtf16(value, value16)) {
          error = "string '" + key + "' is not valid UTF-8";
          block.clear();
          return false;
        }
        if (value16.size() + 1 > 0xFFFF) return too_long("string '" + key + "'");
        const std::size_t string_start =
            w.Begin(static_cast<std::uint16_t>(value16.size() + 1), 1, key16);
        w.Text(value16);
        if (!w.End(string_start)) return too_long("string '" + key + "'");
      }
      if (!w.End(table_start)) return too_long("string table " + TranslationKey(table.translation));
    }
    if (!w.End(file_info)) return too_long("StringFileInfo");
  }
  if (!description.translations.empty()) {
    if (description.translations.size() * 4 > 0xFFFF) return too_long("Translation");
    const std::size_t var_info = w.Begin(0, 1, Ascii16("VarFileInfo"));
    const std::size_t var = w.Begin(static_cast<std::uint16_t>(description.translations.size() * 4),
                                    0, Ascii16("Translation"));
    for (const auto& t : description.translations) {
      w.U16(t.language);
      w.U16(t.code_page);
    }
    if (!w.End(var) || !w.End(var_info)) return too_long("VarFileInfo");
  }
  if (!w.End(root)) return too_long("the version block");
  return true;
}

ByteView FindVersionBlock(ByteView file) {
  const ByteView section = ElfSection(file, kVersionSectionName);
  if (!section.empty()) {
    const ByteView own = ValidBlockAt(section);
    if (!own.empty()) return own;
  }
  std::vector<std::uint8_t> needle;
  for (const char c : std::string_view(kRootKey, sizeof kRootKey)) {
    needle.push_back(static_cast<std::uint8_t>(c));
    needle.push_back(0);
  }
  auto at = file.begin();
  for (;;) {
    at = std::search(at, file.end(), needle.begin(), needle.end());
    if (at == file.end()) return {};
    const auto key_offset = static_cast<std::size_t>(at - file.begin());
    if (key_offset >= 6) {
      const ByteView block = ValidBlockAt(file.subspan(key_offset - 6));
      if (!block.empty()) return block;
    }
    ++at;
  }
}

std::optional<VersionValue> QueryVersionValue(ByteView block, std::string_view sub_block) {
  const auto node = FindPath(block, sub_block);
  if (!node) return std::nullopt;
  return VersionValue{block.subspan(node->value_start, node->value_size), node->type == 1};
}

std::optional<VersionFixedInfo> QueryFixedFileInfo(ByteView block) {
  const auto value = QueryVersionValue(block, "\\");
  if (!value || value->bytes.size() < kFixedInfoSize ||
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
    AppendUtf8(c, text);
  }
  return text;
}

}  // namespace slp
