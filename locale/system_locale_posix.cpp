#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <string_view>

#include "locale/system_locale.h"

namespace slp {

std::optional<std::string> LangVariable() {
  if (const char* lang = std::getenv("LANG")) return std::string(lang);
  return std::nullopt;
}

std::string UserLocaleName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES"}) {
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
  }
  const char* current = std::setlocale(LC_MESSAGES, nullptr);
  return current != nullptr ? current : "";
}

std::string ThisExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return "";
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      break;
    }
    path.resize(path.size() * 2);
  }
  // The link of a program whose file was replaced while it runs.
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
  return path;
}

std::string ThisExecutableImage() { return "/proc/self/exe"; }

}  // namespace slp
