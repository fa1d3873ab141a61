#include "platform/os/process_tree.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "support/child_process.h"

namespace slp {
namespace {

TEST(ProcessTree, FindsAChildBelowThisProcessAndItsCommandLine) {
  testing::ChildProcess child("/bin/cat", {"-u"});  // ends when its input closes
  ASSERT_GT(child.Pid(), 0);
  EXPECT_EQ(ParentOf(child.Pid()), getpid());
  const std::vector<int> tree = ProcessTree(getpid());
  EXPECT_EQ(tree.front(), getpid());
  EXPECT_NE(std::find(tree.begin(), tree.end(), child.Pid()), tree.end());
  // The spawn returns once the child has left this process's memory, a moment before the
  // new program's arguments are in place.
  std::string command;
  for (int i = 0; i < 500 && command.empty(); ++i) {
    command = CommandLine(child.Pid());
    if (command.empty()) usleep(10000);
  }
  EXPECT_EQ(command, "/bin/cat -u ");
  EXPECT_GT(PssKb(getpid()), 0);
}

TEST(ProcessTree, AProcessThatIsGoneReadsAsNothing) {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
  EXPECT_EQ(ParentOf(pid), 0);
  EXPECT_EQ(CommandLine(pid), "");
  EXPECT_EQ(PssKb(pid), 0);
}

// Processes end between the listing of /proc and the read of their files; a read that
// then fails must count as "gone", not end the caller.
TEST(ProcessTree, ReadsWhileProcessesComeAndGo) {
  std::atomic<bool> stop{false};
  std::thread churn([&] {
    while (!stop) {
      const pid_t pid = fork();
      if (pid == 0) _exit(0);
      if (pid > 0) waitpid(pid, nullptr, 0);
    }
  });
  long total = 0;
  EXPECT_NO_THROW({
    for (int i = 0; i < 1000; ++i)
      total += TreePssKb(getpid()) + static_cast<long>(EngineRenderers(getpid()).size());
  });
  stop = true;
  churn.join();
  EXPECT_GT(total, 0);
}

}  // namespace
}  // namespace slp
