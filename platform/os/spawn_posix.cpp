#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <vector>

#include "platform/os/command_line.h"
#include "platform/os/spawn.h"

extern char** environ;

namespace slp {

long long ShellOpen(const std::string& file, const std::string& parameters,
                    const std::string& directory) {
  if (file.empty()) return -1;
  // A bare name means the file in the working directory, never a search of PATH.
  const std::string program = file.find('/') == std::string::npos ? "./" + file : file;
  std::vector<std::string> args = SplitArguments(parameters);
  args.insert(args.begin(), file);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  if (posix_spawnattr_init(&attr) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return -1;
  }
  bool ready =
      directory.empty() || posix_spawn_file_actions_addchdir_np(&actions, directory.c_str()) == 0;
  // Nothing of ours carries over: no blocked signal and no handler set to ignore.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  ready = ready && posix_spawnattr_setsigmask(&attr, &none) == 0 &&
          posix_spawnattr_setsigdefault(&attr, &all) == 0 &&
          posix_spawnattr_setflags(
              &attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID) == 0;
  pid_t pid = -1;
  const bool started =
      ready && posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ) == 0;
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return started ? pid : -1;
}

}  // namespace slp
