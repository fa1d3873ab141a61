#include "platform/os/folders.h"

#include <sys/stat.h>

#include <cerrno>

namespace slp {

bool CreateFolders(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  // Each component in turn, so that every folder made here gets the mode, parents too.
  for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
    const std::string part = path.substr(0, at);
    if (!part.empty() && mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
      return false;
    if (at == std::string::npos) break;
  }
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace slp
