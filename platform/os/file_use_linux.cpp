#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/file_use.h"

namespace slp {

bool IsProgramFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

bool IsFileInUse(const std::string& path) {
  // O_NONBLOCK: a FIFO standing at the path must not stall the window.
  const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno != ENOENT;
  bool held = false;
  // Record locks (per process or per open file) of others show as a conflicting lock.
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 0;
  if (fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) held = true;
  // Whole-file locks are a separate kind: try to take one and give it back at once.
  if (!held) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
      flock(fd, LOCK_UN);
    else if (errno == EWOULDBLOCK)
      held = true;
  }
  close(fd);
  return held;
}

}  // namespace slp
