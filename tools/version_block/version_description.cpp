#include "tools/version_block/version_description.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "platform/os/text.h"

namespace slp {
namespace {

using Utf16 = std::u16string;
using text::EqualsIgnoreAsciiCase;
using text::Trim;
using text::Utf8ToUtf16;

Utf16 Ascii16(std::string_view ascii) { return Utf16(ascii.begin(), ascii.end()); }

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
      if (EqualsIgnoreAsciiCase(name, "FixedFileInfo")) {
        section = Section::kFixed;
      } else if (EqualsIgnoreAsciiCase(name, "VarFileInfo")) {
        section = Section::kVar;
      } else if (EqualsIgnoreAsciiCase(name.substr(0, 15), "StringFileInfo ")) {
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
        if (EqualsIgnoreAsciiCase(key, "FileVersion")) {
          if (!ParseVersion(value, fixed.file_version_ms, fixed.file_version_ls)) {
            return fail("a version is up to four numbers 0..65535 separated by dots");
          }
          has_file_version = true;
          break;
        }
        if (EqualsIgnoreAsciiCase(key, "ProductVersion")) {
          if (!ParseVersion(value, fixed.product_version_ms, fixed.product_version_ls)) {
            return fail("a version is up to four numbers 0..65535 separated by dots");
          }
          has_product_version = true;
          break;
        }
        const auto field = std::find_if(std::begin(fields), std::end(fields), [&](const Field& f) {
          return EqualsIgnoreAsciiCase(key, f.name);
        });
        if (field == std::end(fields)) return fail("unknown key '" + std::string(key) + "'");
        if (!ParseNumber(value, *field->target)) return fail("not a 32-bit number");
        break;
      }
      case Section::kVar: {
        if (!EqualsIgnoreAsciiCase(key, "Translation")) {
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
          if (EqualsIgnoreAsciiCase(k, key))
            return fail("key '" + std::string(key) + "' given twice");
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
  const std::size_t root = w.Begin(kFixedFileInfoSize, 0, Ascii16(kVersionRootKey));
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

}  // namespace slp
