#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/os/file_io.h"
#include "platform/os/file_replace.h"

namespace slp {
namespace {

int Fault(const FileFaults& faults, FileStep step) { return faults ? faults(step) : 0; }

ReplaceResult Failed(int error, FileStep step, std::string oldFileAt = "") {
  ReplaceResult r;
  r.error = error;
  r.step = step;
  r.oldFileAt = std::move(oldFileAt);
  return r;
}

// Closes `fd`, keeping the first error.
int CloseKeeping(int fd, int error) {
  if (close(fd) != 0 && error == 0) error = errno;
  return error;
}

int CreatePrivate(const std::string& path, int& fd) {
  fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  return fd < 0 ? errno : 0;
}

// Copies the whole of `in` to `out`, in the kernel where it can.
int CopyAll(int in, int out) {
  bool kernel = true;
  char buffer[1 << 16];
  for (;;) {
    if (kernel) {
      const ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
      if (n > 0) continue;
      if (n == 0) return 0;
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
          errno != EPERM)
        return errno;
      kernel = false;  // nothing was copied by the failed call: go on with plain reads
    }
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    if (const int e = WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(n))))
      return e;
  }
}

bool LooksLikeProgram(int fd) {
  char head[4] = {};
  const ssize_t n = pread(fd, head, sizeof head, 0);
  return (n >= 4 && std::memcmp(head,
                                "\x7f"
                                "ELF",
                                4) == 0) ||
         (n >= 2 && head[0] == '#' && head[1] == '!');
}

unsigned CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    unsigned mask = 0;
    if (std::sscanf(line.c_str(), "Umask: %o", &mask) == 1) return mask & 0777;
  }
  const mode_t mask = umask(022);  // read by setting; put back at once
  umask(mask);
  return mask & 0777;
}

// Writes the copy of `source` at `staging`, with the mode and owner it is to have, flushed.
int Stage(const std::string& source, const std::string& staging, const struct stat* old,
          const FileFaults& faults) {
  if (const int e = Fault(faults, FileStep::kStage)) return e;
  const int in = open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return errno;
  int out = -1;
  int error = CreatePrivate(staging, out);
  if (error != 0) return CloseKeeping(in, error);
  error = CopyAll(in, out);
  if (error == 0) {
    mode_t mode = static_cast<mode_t>(NewFileMode(LooksLikeProgram(in)));
    if (old != nullptr) {
      mode = old->st_mode & 07777;
      // Only a privileged user can give the file away; for anyone else it is already theirs.
      if (old->st_uid != geteuid() || old->st_gid != getegid())
        (void)fchown(out, old->st_uid, old->st_gid);
    }
    if (fchmod(out, mode) != 0) error = errno;
  }
  if (error == 0 && fsync(out) != 0) error = errno;
  error = CloseKeeping(out, error);
  error = CloseKeeping(in, error);
  if (error != 0) unlink(staging.c_str());
  return error;
}

int RenameStep(const std::string& from, const std::string& to, FileStep step,
               const FileFaults& faults) {
  if (const int e = Fault(faults, step)) return e;
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A rename is only durable once its folder is flushed.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

const char* FileStepName(FileStep step) {
  switch (step) {
    case FileStep::kWriteNew:
      return "write new file";
    case FileStep::kStage:
      return "copy beside the target";
    case FileStep::kRenameOver:
      return "rename over the target";
    case FileStep::kMoveAside:
      return "move the target aside";
    case FileStep::kMoveIn:
      return "move the copy in";
    case FileStep::kPutBack:
      return "put the target back";
  }
  return "?";
}

unsigned NewFileMode(bool program) {
  const unsigned mode = 0666u & ~CurrentUmask();
  return program ? mode | ((mode & 0444u) >> 2) : mode;
}

int WriteNewFile(const std::string& path, std::string_view data, const FileFaults& faults) {
  if (const int e = Fault(faults, FileStep::kWriteNew)) return e;
  int fd = -1;
  int error = CreatePrivate(path, fd);
  if (error != 0) return error;
  error = WriteAll(fd, data);
  error = CloseKeeping(fd, error);
  if (error != 0) unlink(path.c_str());
  return error;
}

ReplaceResult ReplaceFileWith(const std::string& target, const std::string& source,
                              const std::string& stagingName, const FileFaults& faults) {
  const std::string folder = FolderOf(target);
  const std::string staging = (folder == "." ? "" : folder) + stagingName;
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;

  if (const int e = Stage(source, staging, exists ? &old : nullptr, faults))
    return Failed(e, FileStep::kStage);
  int e = RenameStep(staging, target, FileStep::kRenameOver, faults);
  if (e == 0) {
    SyncFolder(folder);
    return {};
  }
  if (e != EBUSY && e != ETXTBSY) {
    unlink(staging.c_str());
    return Failed(e, FileStep::kRenameOver);
  }
  // The target cannot be renamed over: move it out of the way, keeping it for a way back.
  const std::string aside = staging + ".old";
  if ((e = RenameStep(target, aside, FileStep::kMoveAside, faults)) != 0) {
    unlink(staging.c_str());
    return Failed(e, FileStep::kMoveAside);
  }
  if ((e = RenameStep(staging, target, FileStep::kMoveIn, faults)) != 0) {
    if (RenameStep(aside, target, FileStep::kPutBack, faults) != 0) {
      // The old file stays whole under the other name; no later step would find it.
      unlink(staging.c_str());
      return Failed(e, FileStep::kPutBack, aside);
    }
    unlink(staging.c_str());
    return Failed(e, FileStep::kMoveIn);
  }
  unlink(aside.c_str());
  SyncFolder(folder);
  return {};
}

}  // namespace slp
