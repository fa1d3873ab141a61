#include "platform/os/processes.h"

#include <algorithm>

#include "platform/os/text.h"

namespace slp {

bool SamePathIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return text::EqualsIgnoreAsciiCase(a, b);
}

bool IsProcessRunning(const std::string& path) {
  std::vector<std::string> list;
  GetProcessList(list);
  return std::any_of(list.begin(), list.end(), [&](const std::string& running) {
    return SamePathIgnoringAsciiCase(running, path);
  });
}

}  // namespace slp
