#pragma once
// A real child process for tests, started with pipes on its stdin and stdout. It is ended
// (stdin closed, then killed if it lingers) and reaped when the object goes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace slp::testing {

class ChildProcess {
 public:
  ChildProcess(const std::string& program, std::vector<std::string> args) {
    int in[2], out[2];
    // Close-on-exec: no other child may hold these ends open.
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
      ADD_FAILURE() << "pipe";
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      ADD_FAILURE() << "cannot start " << program;
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~ChildProcess() { End(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }

  // Reads stdout until a line equal to `line` arrives; false when the output ends first.
  bool WaitForLine(const std::string& line) {
    std::string got;
    char c;
    while (read(stdout_, &c, 1) == 1) {
      if (c != '\n') {
        got.push_back(c);
        continue;
      }
      if (got == line) return true;
      got.clear();
    }
    return false;
  }

  // Closes stdin and waits for the end, killing the child after a grace period.
  void End() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
    if (pid_ > 0) {
      bool reaped = false;
      for (int i = 0; i < 200 && !reaped; ++i) {
        reaped = waitpid(pid_, nullptr, WNOHANG) == pid_;
        if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (!reaped) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
      pid_ = -1;
    }
    if (stdout_ >= 0) close(stdout_);
    stdout_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
};

}  // namespace slp::testing
