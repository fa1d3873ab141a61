#include "platform/os/ini_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>

#include "platform/os/file_io.h"
#include "platform/os/text.h"

namespace slp {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using text::Trim;

struct Line {
  std::size_t begin = 0;
  std::size_t content_end = 0;  // before "\n" or "\r\n"
  std::size_t end = 0;          // after the line ending
  bool terminated = false;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    Line line;
    line.begin = at;
    const std::size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) {
      line.content_end = line.end = text.size();
    } else {
      line.terminated = true;
      line.end = nl + 1;
      line.content_end = (nl > at && text[nl - 1] == '\r') ? nl - 1 : nl;
    }
    lines.push_back(line);
    at = line.end;
  }
  return lines;
}

struct Entry {
  enum class Kind { kOther, kSection, kKey } kind = Kind::kOther;
  std::string_view name;    // section or key
  std::string_view value;   // keys only
  std::size_t name_at = 0;  // offset of the key in the line's text
};

// What one line means. Comments (";"), blank lines and lines that are neither a header nor
// a key are kOther and do not end a section.
Entry Classify(std::string_view content) {
  Entry e;
  const std::string_view trimmed = Trim(content);
  if (trimmed.empty() || trimmed.front() == ';') return e;
  if (trimmed.front() == '[') {
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos) return e;
    e.kind = Entry::Kind::kSection;
    e.name = Trim(trimmed.substr(1, close - 1));
    return e;
  }
  const std::size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return e;
  e.name = Trim(trimmed.substr(0, eq));
  if (e.name.empty()) return e;
  e.kind = Entry::Kind::kKey;
  e.name_at = static_cast<std::size_t>(e.name.data() - content.data());
  e.value = Trim(trimmed.substr(eq + 1));
  if (e.value.size() >= 2 && (e.value.front() == '"' || e.value.front() == '\'') &&
      e.value.back() == e.value.front()) {
    e.value = e.value.substr(1, e.value.size() - 2);
  }
  return e;
}

std::string_view ContentOf(std::string_view text, const Line& line) {
  std::string_view content = text.substr(line.begin, line.content_end - line.begin);
  if (line.begin == 0 && content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    content.remove_prefix(kByteOrderMark.size());
  }
  return content;
}

// Walks the lines, telling `visit` the line, its meaning and whether it lies in a section
// named `section`. `visit` returns false to stop.
template <typename Visit>
void Walk(std::string_view text, std::string_view section, Visit&& visit) {
  const std::vector<Line> lines = SplitLines(text);
  bool inside = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Entry e = Classify(ContentOf(text, lines[i]));
    if (e.kind == Entry::Kind::kSection) inside = text::EqualsIgnoreAsciiCase(e.name, section);
    if (!visit(lines[i], e, inside)) return;
  }
}

bool Has(std::string_view s, std::string_view chars) {
  return s.find_first_of(chars) != std::string_view::npos;
}

const std::string_view kBreaks("\r\n\0", 3);

}  // namespace

std::optional<std::string> IniDocument::ReadString(std::string_view section,
                                                   std::string_view key) const {
  std::optional<std::string> found;
  Walk(text_, section, [&](const Line&, const Entry& e, bool inside) {
    if (inside && e.kind == Entry::Kind::kKey && text::EqualsIgnoreAsciiCase(e.name, key)) {
      found = std::string(e.value);
      return false;
    }
    return true;
  });
  return found;
}

bool IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  if (section.empty() || Trim(section) != section || Has(section, kBreaks) || Has(section, "]") ||
      key.empty() || Trim(key) != key || Has(key, kBreaks) || Has(key, "=") || key.front() == '[' ||
      key.front() == ';' || Has(value, kBreaks)) {
    return false;
  }
  const std::size_t nl = text_.find('\n');
  const std::string newline =
      (nl != std::string::npos && nl > 0 && text_[nl - 1] == '\r') ? "\r\n" : "\n";
  const std::string entry = std::string(key) + "=" + std::string(value);

  // The key's own line, else the last line of the first matching section that holds a key
  // (or its header).
  std::optional<Line> key_line;
  std::size_t key_name_at = 0;
  std::optional<Line> after;
  bool seen_section = false;
  bool in_first = false;
  Walk(text_, section, [&](const Line& line, const Entry& e, bool inside) {
    if (e.kind == Entry::Kind::kSection) {
      in_first = inside && !seen_section;
      seen_section = seen_section || inside;
      if (in_first) after = line;
    }
    if (!inside || e.kind != Entry::Kind::kKey) return true;
    if (text::EqualsIgnoreAsciiCase(e.name, key)) {
      key_line = line;
      key_name_at = e.name_at + (ContentOf(text_, line).data() - (text_.data() + line.begin));
      return false;
    }
    if (in_first) after = line;
    return true;
  });

  if (key_line) {
    // Keep whatever stands before the key (a byte order mark, indentation) and its spelling.
    const std::size_t name_begin = key_line->begin + key_name_at;
    const std::string replacement = text_.substr(name_begin, key.size()) + "=" + std::string(value);
    text_.replace(name_begin, key_line->content_end - name_begin, replacement);
    return true;
  }
  if (after) {
    std::size_t at = after->end;
    if (!after->terminated) {
      text_.insert(at, newline);
      at += newline.size();
    }
    text_.insert(at, entry + newline);
    return true;
  }
  if (!text_.empty() && text_.back() != '\n') text_ += newline;
  text_ += "[" + std::string(section) + "]" + newline + entry + newline;
  return true;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Keys() const {
  std::vector<std::pair<std::string, std::string>> keys;
  std::optional<std::string> current;
  Walk(text_, "", [&](const Line&, const Entry& e, bool) {
    if (e.kind == Entry::Kind::kSection) current = std::string(e.name);
    if (e.kind == Entry::Kind::kKey && current) keys.emplace_back(*current, std::string(e.name));
    return true;
  });
  return keys;
}

std::optional<int> ParseIniInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  long long magnitude = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  const long long value = negative ? -magnitude : magnitude;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

namespace {

// Temporary files of earlier writes that were interrupted before their rename: ".NAME.XXXXXX",
// regular files of this user.
void RemoveLeftoverTemporaries(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = "." + name + ".";
  while (const dirent* entry = readdir(dir)) {
    const std::string_view entry_name = entry->d_name;
    if (entry_name.size() != prefix.size() + 6 || !entry_name.starts_with(prefix)) continue;
    const std::string_view suffix = entry_name.substr(prefix.size());
    if (!std::all_of(suffix.begin(), suffix.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
      continue;
    struct stat st {};
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == geteuid())
      unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
  if (path.empty()) return false;
  std::string target = path;
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // A link is written through; one that leads nowhere is refused rather than replaced
    // by a regular file, which would silently cut the user's link.
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) return false;
    target = real;
    std::free(real);
  }
  const std::string folder = FolderOf(target);
  const std::string name = target.substr(target.rfind('/') + 1);
  // Writers of the folder take turns, so that the clean-up below never takes another
  // writer's temporary file from under it.
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  while (flock(dir, LOCK_EX) != 0 && errno == EINTR) {
  }
  const struct Unlock {
    int fd;
    ~Unlock() { close(fd); }  // releases the lock
  } unlock{dir};
  std::string temp = folder + (folder.back() == '/' ? "." : "/.") + name + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  if (stat(target.c_str(), &st) == 0) ok = fchmod(fd, st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, contents) == 0;
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  fsync(dir);  // makes the rename itself durable; a failure here no longer loses data
  RemoveLeftoverTemporaries(folder, name);
  return true;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  std::string text;
  bool missing = false;
  if (!ReadWholeFile(path_, text, missing)) return std::string(default_value);
  return IniDocument(std::move(text)).ReadString(section, key).value_or(std::string(default_value));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int default_value) const {
  std::string text;
  bool missing = false;
  if (!ReadWholeFile(path_, text, missing)) return default_value;
  const auto value = IniDocument(std::move(text)).ReadString(section, key);
  if (!value) return default_value;
  return ParseIniInteger(*value).value_or(default_value);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string text;
  bool missing = false;
  // A file that exists but cannot be read must not be replaced by one holding a single key.
  if (!ReadWholeFile(path_, text, missing) && !missing) return false;
  IniDocument document(std::move(text));
  const std::string before = document.Text();
  if (!document.WriteString(section, key, value)) return false;
  if (!missing && document.Text() == before) return true;
  return WriteFileAtomically(path_, document.Text());
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, std::to_string(value));
}

}  // namespace slp
