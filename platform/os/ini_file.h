#pragma once
// Initialisation files ("[Section]" headers, "Key=Value" lines) with the meaning the system's
// profile functions give them: sections and keys match without regard to ASCII case, the
// first match counts, keys and values are read without their outer blanks and a value loses
// one pair of enclosing quotes. A write changes or adds one line and keeps every other byte.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace slp {

// The text of an initialisation file, edited in memory.
class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string text) : text_(std::move(text)) {}

  // The value of the first `key` in a section named `section`; nullopt when there is none.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;

  // Replaces the value of the key that ReadString finds, else adds the key at the end of the
  // first such section, else adds the section at the end of the text. New lines use the
  // text's line ending. Returns false, changing nothing, when the names or the value could
  // not be read back as given (empty names, line breaks, zero bytes, "=" or a leading "[" or
  // ";" in a key, "]" in a section, outer blanks in a name).
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);

  // Every (section, key) pair in the order of the text; keys before the first section have
  // no section and are not listed.
  std::vector<std::pair<std::string, std::string>> Keys() const;

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// A whole-text decimal integer (optional sign) that fits an int; nullopt for anything else.
std::optional<int> ParseIniInteger(std::string_view text);

// Replaces the file's contents by `contents` through a temporary file in the same folder and
// a rename, so a reader sees the old file or the new one and never a part. An existing file
// keeps its permissions; a symbolic link is written through, and one that leads nowhere is
// refused. After a successful write, temporary files that interrupted writes of the same file
// left behind are removed. False on any failure, leaving the old file as it was.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

// A settings file used the way the profile functions use it: every read reads the file,
// every write rewrites it at once. Nothing throws.
class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  // The value, or `default_value` when the file, the section or the key is missing or the
  // file cannot be read.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;

  // The value read as a whole decimal integer; `default_value` when it is not a number.
  int ReadInteger(std::string_view section, std::string_view key, int default_value) const;

  // Writes one key. False when the file exists but cannot be read, when the names or value
  // are refused (see IniDocument::WriteString), or when the file cannot be written, as in a
  // missing folder.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int value);

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace slp
