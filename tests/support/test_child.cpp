// A program for tests that need a real other process.
//
//   slp-test-child hold <flock|posix|ofd|read> <file>   locks the file, prints "ready", and
//                                                       keeps the lock until stdin closes
//   slp-test-child wait                                 prints "ready", runs until stdin closes
//   slp-test-child [anything else]                      appends one line to ./record.txt:
//       the working directory, whether it leads its own session, whether SIGPIPE has its
//       default handling, then each argument; fields separated by tabs
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void WaitForStdinToClose() {
  std::puts("ready");
  std::fflush(stdout);
  char c;
  while (read(0, &c, 1) > 0) {
  }
}

int Hold(const char* kind, const char* path) {
  const int fd = open(path, std::strcmp(kind, "read") == 0 ? O_RDONLY : O_RDWR);
  if (fd < 0) return 2;
  struct flock lock {};
  lock.l_type = std::strcmp(kind, "read") == 0 ? F_RDLCK : F_WRLCK;
  lock.l_whence = SEEK_SET;
  int r = 0;
  if (std::strcmp(kind, "flock") == 0)
    r = flock(fd, LOCK_EX);
  else if (std::strcmp(kind, "ofd") == 0)
    r = fcntl(fd, F_OFD_SETLKW, &lock);
  else
    r = fcntl(fd, F_SETLKW, &lock);
  if (r != 0) return 3;
  WaitForStdinToClose();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
  if (argc == 2 && std::strcmp(argv[1], "wait") == 0) {
    WaitForStdinToClose();
    return 0;
  }
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) == nullptr) return 4;
  struct sigaction pipe {};
  sigaction(SIGPIPE, nullptr, &pipe);
  std::string line = cwd;
  line += getsid(0) == getpid() ? "\tsession" : "\tno-session";
  line += pipe.sa_handler == SIG_DFL ? "\tsigpipe-default" : "\tsigpipe-changed";
  for (int i = 1; i < argc; ++i) line += std::string("\t") + argv[i];
  line += "\n";
  // One write, so records of processes started together never mix.
  const int fd = open("record.txt", O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return 5;
  const bool ok = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  close(fd);
  return ok ? 0 : 6;
}
