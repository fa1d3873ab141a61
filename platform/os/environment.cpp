#include "platform/os/environment.h"

#include <algorithm>

#include "platform/os/text.h"

extern char** environ;

namespace slp {
namespace {

constexpr std::size_t kBufferChars = 1024;

using text::EqualsIgnoreAsciiCase;

std::optional<std::string> NonEmpty(const std::optional<std::string>& value) {
  if (!value || value->empty()) return std::nullopt;
  return value;
}

std::optional<std::string> Lookup(std::string_view name, const EnvironmentLookup& lookup) {
  std::optional<std::string> value = lookup(name);
  if (!EqualsIgnoreAsciiCase(name, "APPDATA")) return value;
  // An empty APPDATA would put the settings at the root of the file system.
  if (value && !value->empty()) return value;
  // The per-user configuration folder of the free desktops.
  const auto config = NonEmpty(lookup("XDG_CONFIG_HOME"));
  if (config && config->front() == '/') return config;
  const auto home = NonEmpty(lookup("HOME"));
  if (home && home->front() == '/') {
    return *home + (home->back() == '/' ? ".config" : "/.config");
  }
  return std::nullopt;
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

EnvironmentLookup SystemEnvironment() {
  return [](std::string_view name) -> std::optional<std::string> {
    std::optional<std::string> loose;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
      const std::string_view text(*entry);
      const std::size_t eq = text.find('=');
      if (eq == std::string_view::npos) continue;
      const std::string_view entry_name = text.substr(0, eq);
      if (entry_name == name) return std::string(text.substr(eq + 1));
      if (!loose && EqualsIgnoreAsciiCase(entry_name, name))
        loose = std::string(text.substr(eq + 1));
    }
    return loose;
  };
}

bool ExpandEnvironment(const std::string& text, std::string& result,
                       const EnvironmentLookup& lookup) {
  std::string expanded;
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t open = rest.find('%');
    expanded.append(rest.substr(0, open));
    if (open == std::string_view::npos) break;
    rest.remove_prefix(open);
    const std::size_t close = rest.find('%', 1);
    if (close == std::string_view::npos) {  // no closing mark: the rest is plain text
      expanded.append(rest);
      break;
    }
    const std::string_view name = rest.substr(1, close - 1);
    const auto value = name.empty() ? std::nullopt : Lookup(name, lookup);
    if (value) {
      expanded.append(*value);
    } else {
      expanded.append(rest.substr(0, close + 1));
    }
    rest.remove_prefix(close + 1);
  }
  // The text is the buffer's up to its first zero.
  expanded.resize(std::min(expanded.size(), expanded.find('\0')));
  if (text::Utf16Units(expanded) + 1 > kBufferChars) {
    result = text;
    return false;
  }
  result = text::Trim(expanded, IsBlankOrControl);
  return true;
}

}  // namespace slp
