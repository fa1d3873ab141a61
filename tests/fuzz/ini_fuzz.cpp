// Initialisation files from arbitrary text: reading never fails, and writing one key either
// changes nothing (refused) or changes exactly that key: every other line keeps its bytes
// and every other key its value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/ini_file.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t nl = text.find('\n', at);
    const std::size_t end = nl == std::string::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 8192) return 0;
  const std::uint8_t pick = data[0];
  const std::uint8_t number = data[1];
  slp::IniDocument document(std::string(reinterpret_cast<const char*>(data) + 2, size - 2));
  const std::string before = document.Text();
  const auto keys = document.Keys();

  // Write into an existing key, an existing section or a new one, spelled in another case.
  std::string section = "Sylp";
  std::string key = "Interval";
  if (!keys.empty() && (pick & 1)) {
    const auto& chosen = keys[(pick >> 2) % keys.size()];
    section = chosen.first;
    if (pick & 2) key = chosen.second;
  }
  if (pick & 0x80) {
    for (char& c : section) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  const std::string value = std::to_string(static_cast<int>(number) - 128);
  Check(slp::ParseIniInteger(value) == static_cast<int>(number) - 128);

  std::vector<std::optional<std::string>> old_values;
  for (const auto& [s, k] : keys) old_values.push_back(document.ReadString(s, k));
  const bool existed = document.ReadString(section, key).has_value();

  if (!document.WriteString(section, key, value)) {
    Check(document.Text() == before);
    return 0;
  }
  Check(document.ReadString(section, key) == value);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (SameIgnoringCase(keys[i].first, section) && SameIgnoringCase(keys[i].second, key)) {
      continue;
    }
    Check(document.ReadString(keys[i].first, keys[i].second) == old_values[i]);
  }

  // Lines: one replaced, or one or two inserted at one place; an unterminated last line may
  // gain its line ending.
  const std::vector<std::string> old_lines = Lines(before);
  const std::vector<std::string> new_lines = Lines(document.Text());
  auto same_start = [&](std::size_t i) {
    const std::string& o = old_lines[i];
    const std::string& n = new_lines[i];
    if (o == n) return true;
    const bool last_open = i + 1 == old_lines.size() && o.back() != '\n';
    return last_open && (n == o + "\n" || n == o + "\r\n");
  };
  const std::size_t shorter = std::min(old_lines.size(), new_lines.size());
  std::size_t prefix = 0;
  while (prefix < shorter && same_start(prefix)) ++prefix;
  std::size_t suffix = 0;
  while (suffix < shorter - prefix &&
         old_lines[old_lines.size() - 1 - suffix] == new_lines[new_lines.size() - 1 - suffix]) {
    ++suffix;
  }
  if (existed) {
    Check(new_lines.size() == old_lines.size() && prefix + suffix + 1 >= old_lines.size());
  } else {
    const std::size_t added = new_lines.size() - old_lines.size();
    Check(new_lines.size() > old_lines.size() && added <= 2 && prefix + suffix == old_lines.size());
  }
  return 0;
}
