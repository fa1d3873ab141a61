#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <string_view>

#include "locale/system_locale.h"
#include "platform/os/processes.h"

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

std::string ThisExecutablePath() { return RunningExecutablePath(); }

std::string ThisExecutableImage() { return "/proc/self/exe"; }

}  // namespace slp
