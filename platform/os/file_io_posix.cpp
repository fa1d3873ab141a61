#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/file_io.h"

namespace slp {

int WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool ReadWholeFile(const std::string& path, std::string& text, bool& missing) {
  text.clear();
  missing = false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    missing = errno == ENOENT || errno == ENOTDIR;
    return false;
  }
  char buffer[16384];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return false;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return true;
}

}  // namespace slp
