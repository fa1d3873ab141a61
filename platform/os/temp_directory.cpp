#include "platform/os/temp_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/folders.h"

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

}  // namespace

std::string GetTempDirectory(const EnvironmentLookup& lookup, const std::string& shared_base) {
  if (const auto tmpdir = lookup("TMPDIR"); tmpdir && IsUsableDirectory(*tmpdir)) {
    return WithTrailingSlash(*tmpdir);
  }
  if (shared_base.empty()) return "";
  const std::string own = WithTrailingSlash(shared_base) + "slp-" +
                          std::to_string(static_cast<unsigned long>(geteuid()));
  return MakePrivateFolder(own) ? own + "/" : "";
}

}  // namespace slp
