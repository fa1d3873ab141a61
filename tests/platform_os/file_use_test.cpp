#include "platform/os/file_use.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/child_process.h"
#include "support/os_test_support.h"

namespace slp {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::TempFolder;

TEST(IsProgramFile, AnyExecuteBitOnARegularFile) {
  TempFolder folder;
  const std::string file = folder / "f";
  testing::WriteText(file, "x");
  struct Case {
    mode_t mode;
    bool program;
  } const cases[] = {{0644, false}, {0744, true}, {0654, true}, {0645, true}, {0600, false}};
  for (const auto& c : cases) {
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
    EXPECT_EQ(IsProgramFile(file), c.program) << std::oct << c.mode;
  }
  EXPECT_FALSE(IsProgramFile(folder.Path()));  // folders carry execute bits too
  EXPECT_FALSE(IsProgramFile(folder / "missing"));
  ASSERT_EQ(chmod(file.c_str(), 0755), 0);
  ASSERT_EQ(symlink(file.c_str(), (folder / "link").c_str()), 0);
  EXPECT_TRUE(IsProgramFile(folder / "link"));  // a link to a program is one
}

TEST(IsFileInUse, FreeOrMissingFiles) {
  TempFolder folder;
  testing::WriteText(folder / "free", "x");
  EXPECT_FALSE(IsFileInUse(folder / "free"));
  EXPECT_FALSE(IsFileInUse(folder / "missing"));
}

// Every kind of lock another process can hold counts, and releasing it frees the file.
TEST(IsFileInUse, LocksOfAnotherProcess) {
  for (const char* kind : {"flock", "posix", "ofd", "read"}) {
    SCOPED_TRACE(kind);
    TempFolder folder;
    const std::string file = folder / "data";
    testing::WriteText(file, "content");
    ChildProcess holder(SLP_TEST_CHILD, {"hold", kind, file});
    ASSERT_TRUE(holder.WaitForLine("ready"));
    EXPECT_TRUE(IsFileInUse(file));
    EXPECT_TRUE(IsFileInUse(file));  // looking did not take or break the lock
    holder.End();
    EXPECT_FALSE(IsFileInUse(file));
    EXPECT_EQ(testing::ReadText(file), "content");
  }
}

// A program that runs cannot be opened for writing, whatever its mode says now.
TEST(IsFileInUse, RunningProgramCannotBeWritten) {
  TempFolder folder;
  const std::string program = folder / "prog";
  fs::copy_file(SLP_TEST_CHILD, program);
  ChildProcess running(program, {"wait"});
  ASSERT_TRUE(running.WaitForLine("ready"));
  ASSERT_EQ(chmod(program.c_str(), 0644), 0);
  EXPECT_TRUE(IsFileInUse(program));
  running.End();
  EXPECT_FALSE(IsFileInUse(program));
}

}  // namespace
}  // namespace slp
