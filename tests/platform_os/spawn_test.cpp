#include "platform/os/spawn.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "support/os_test_support.h"

namespace slp {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// Waits for the started program to end and returns what it recorded.
std::string Record(long long pid, const std::string& folder) {
  EXPECT_GT(pid, 0);
  int status = 0;
  if (pid > 0) {
    EXPECT_EQ(waitpid(static_cast<pid_t>(pid), &status, 0), pid);
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  return testing::ReadText(folder + "/record.txt");
}

TEST(ShellOpen, StartsTheNamedFileInItsFolderWithTheSplitParameters) {
  TempFolder folder;
  const std::string dir = folder / "my programs";
  fs::create_directory(dir);
  fs::copy_file(SLP_TEST_CHILD, dir + "/prog");
  // Whatever this process ignores, the program starts with the defaults.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &old);
  const long long pid = ShellOpen("prog", "/a \"b c\" >d\"\" \"\"", dir + "/");
  sigaction(SIGPIPE, &old, nullptr);
  EXPECT_EQ(Record(pid, dir), dir + "\tsession\tsigpipe-default\t/a\tb c\t>d\n");
}

TEST(ShellOpen, NoParametersAndAFullPath) {
  TempFolder folder;
  fs::copy_file(SLP_TEST_CHILD, folder / "prog");
  const long long pid = ShellOpen(folder / "prog", "", folder.Path());
  EXPECT_EQ(Record(pid, folder.Path()), folder.Path() + "\tsession\tsigpipe-default\n");
}

TEST(ShellOpen, WhatCannotStartGivesMinusOne) {
  TempFolder folder;
  testing::WriteText(folder / "text", "not a program");
  ASSERT_EQ(chmod((folder / "text").c_str(), 0644), 0);
  fs::copy_file(SLP_TEST_CHILD, folder / "prog");
  EXPECT_EQ(ShellOpen("missing", "", folder.Path()), -1);
  EXPECT_EQ(ShellOpen("text", "", folder.Path()), -1);
  EXPECT_EQ(ShellOpen("prog", "", folder / "no such folder"), -1);
  EXPECT_EQ(ShellOpen("", "", folder.Path()), -1);
  // A bare name is never looked up elsewhere, such as on the search path.
  EXPECT_EQ(ShellOpen("sh", "-c true", folder.Path()), -1);
  EXPECT_FALSE(fs::exists(folder / "record.txt"));
}

}  // namespace
}  // namespace slp
