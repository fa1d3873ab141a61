#include "platform/os/processes.h"

#include <algorithm>

namespace slp {

bool SamePathIgnoringAsciiCase(const std::string& a, const std::string& b) {
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return fold(x) == fold(y); });
}

bool IsProcessRunning(const std::string& path) {
  std::vector<std::string> list;
  GetProcessList(list);
  return std::any_of(list.begin(), list.end(), [&](const std::string& running) {
    return SamePathIgnoringAsciiCase(running, path);
  });
}

}  // namespace slp
