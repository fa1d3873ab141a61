#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <memory>

#include "platform/os/processes.h"

namespace slp {
namespace {

constexpr std::string_view kDeleted = " (deleted)";

bool IsProcessId(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
  }
  return true;
}

// The link /proc/<pid>/exe reads " (deleted)" behind the path once the file it names is
// gone, even when a new file has taken its place. Only a file without links carries the
// suffix for that reason; any other path that ends so is a real name.
std::string ExecutableOf(const std::string& proc) {
  const std::string link = proc + "/exe";
  std::string target(256, '\0');
  for (;;) {
    const ssize_t n = readlink(link.c_str(), target.data(), target.size());
    if (n < 0) return "";
    if (static_cast<std::size_t>(n) < target.size()) {
      target.resize(static_cast<std::size_t>(n));
      break;
    }
    target.resize(target.size() * 2);
  }
  if (target.size() > kDeleted.size() && target.ends_with(kDeleted)) {
    struct stat st {};
    if (stat(link.c_str(), &st) == 0 && st.st_nlink == 0)
      target.resize(target.size() - kDeleted.size());
  }
  return target;
}

}  // namespace

void GetProcessList(std::vector<std::string>& list) {
  std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc) return;
  while (const dirent* entry = readdir(proc.get())) {
    if (!IsProcessId(entry->d_name)) continue;
    std::string path = ExecutableOf(std::string("/proc/") + entry->d_name);
    if (!path.empty()) list.push_back(std::move(path));
  }
}

std::string RunningExecutablePath() { return ExecutableOf("/proc/self"); }

}  // namespace slp
