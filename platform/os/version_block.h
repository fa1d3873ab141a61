#pragma once
// Reading the standard VS_VERSIONINFO structure: finding a program's block (in its own
// memory, in a file's section, or anywhere in a file's bytes) and walking it the way the
// system's version-information query does. The build tool that makes blocks has its own
// library.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace slp {

using ByteView = std::span<const std::uint8_t>;

// VS_FIXEDFILEINFO. Versions are four 16-bit parts, most significant first.
struct VersionFixedInfo {
  std::uint32_t signature = 0xFEEF04BD;
  std::uint32_t struc_version = 0x00010000;
  std::uint32_t file_version_ms = 0;
  std::uint32_t file_version_ls = 0;
  std::uint32_t product_version_ms = 0;
  std::uint32_t product_version_ls = 0;
  std::uint32_t file_flags_mask = 0x3F;
  std::uint32_t file_flags = 0;
  std::uint32_t file_os = 0x00040004;  // VOS_NT_WINDOWS32
  std::uint32_t file_type = 1;         // VFT_APP
  std::uint32_t file_subtype = 0;
  std::uint32_t file_date_ms = 0;
  std::uint32_t file_date_ls = 0;
};

// The key of the root node and the size of the fixed part it holds.
inline constexpr char kVersionRootKey[] = "VS_VERSION_INFO";
inline constexpr std::size_t kFixedFileInfoSize = 52;

struct VersionTranslation {
  std::uint16_t language = 0;
  std::uint16_t code_page = 0;
  bool operator==(const VersionTranslation&) const = default;
};

// The translation as a StringTable key: language then code page, 8 upper-case hex digits.
std::string TranslationKey(VersionTranslation translation);

// The section an embedded block lives in, so that a reader prefers the executable's own block
// over blocks of other programs carried as data inside it. A C identifier, so that the linker
// marks its bounds for the running program (see OwnVersionBlock).
inline constexpr char kVersionSectionName[] = "slp_version";

// The running program's own block, read from its memory; empty when it carries none.
ByteView OwnVersionBlock();

// Locates a valid version block inside a file's bytes: the ELF section above when the file
// has one holding a valid block, else the first "VS_VERSION_INFO" key whose whole node tree
// is consistent. Returns a view into `file`, empty when there is none.
ByteView FindVersionBlock(ByteView file);

// The version block of the file at `path`, as FindVersionBlock finds it, reading only the ELF
// headers and the section when the file has a valid one. Empty when there is none or the
// file cannot be read.
std::vector<std::uint8_t> ReadVersionBlock(const std::string& path);

struct VersionValue {
  ByteView bytes;        // the value as stored (text: UTF-16LE, possibly with its terminator)
  bool is_text = false;  // wType 1
};

// VerQueryValue-like lookup: `sub_block` is a path of keys separated by "\" ("\" alone is
// the root, whose value is the fixed part); keys compare without regard to ASCII case.
// Safe on arbitrary bytes; nullopt when the path does not exist or the bytes are malformed.
std::optional<VersionValue> QueryVersionValue(ByteView block, std::string_view sub_block);

// The fixed part ("\"), when present with its signature.
std::optional<VersionFixedInfo> QueryFixedFileInfo(ByteView block);

// All (language, code page) pairs of "\VarFileInfo\Translation"; empty when absent.
std::vector<VersionTranslation> QueryTranslations(ByteView block);

// The text of a value up to its terminating zero, as UTF-8.
std::optional<std::string> QueryVersionString(ByteView block, std::string_view sub_block);

}  // namespace slp
