#include "platform/os/temp_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace slp {
namespace {

std::string WithTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.back() != '/') path.push_back('/');
  return path;
}

bool IsUsableDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && path.front() == '/' && stat(path.c_str(), &st) == 0 &&
         S_ISDIR(st.st_mode) && access(path.c_str(), W_OK | X_OK) == 0;
}

// Creates `path` for this user alone, or accepts an existing one that is ours. Opening it
// without following links and checking the open descriptor leaves no window for a swap.
bool MakePrivateDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ours = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
  if (ours && (st.st_mode & 07777) != 0700) ours = fchmod(fd, 0700) == 0;
  close(fd);
  return ours;
}

}  // namespace

std::string GetTempDirectory(const EnvironmentLookup& lookup, const std::string& shared_base) {
  if (const auto tmpdir = lookup("TMPDIR"); tmpdir && IsUsableDirectory(*tmpdir)) {
    return WithTrailingSlash(*tmpdir);
  }
  if (shared_base.empty()) return "";
  const std::string own = WithTrailingSlash(shared_base) + "slp-" +
                          std::to_string(static_cast<unsigned long>(geteuid()));
  return MakePrivateDirectory(own) ? own + "/" : "";
}

}  // namespace slp
