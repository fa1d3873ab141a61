#include "platform/os/folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool MakePrivateFolder(const std::string& path) {
  // A trailing separator would make the system follow a link of that name.
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  if (mkdir(name.c_str(), 0700) != 0 && errno != EEXIST) return false;
  // The open descriptor is checked, not the name: no window for a swap.
  const int fd = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ours = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
  if (ours && (st.st_mode & 07777) != 0700) ours = fchmod(fd, 0700) == 0;
  close(fd);
  return ours;
}

}  // namespace slp
