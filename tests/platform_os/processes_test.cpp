#include "platform/os/processes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "support/child_process.h"
#include "support/os_test_support.h"

namespace slp {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::TempFolder;

std::string Self() { return fs::read_symlink("/proc/self/exe").string(); }

bool Listed(const std::string& path) {
  std::vector<std::string> list;
  GetProcessList(list);
  return std::find(list.begin(), list.end(), path) != list.end();
}

TEST(SamePathIgnoringAsciiCase, OnlyAsciiLettersFold) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } const cases[] = {
      {"/opt/Slp/SLP", "/OPT/slp/slp", true},
      {"/opt/slp", "/opt/slp/", false},
      {"/opt/\xc3\xa9t\xc3\xa9", "/opt/\xc3\x89T\xc3\x89", false},  // é and É differ
      {"/opt/a-b_c", "/OPT/A-B_C", true},
      {"/opt/a@", "/opt/a`", false},  // neighbours of the letters stay apart
      {"", "", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SamePathIgnoringAsciiCase(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(GetProcessList, AppendsThisProcessAmongOthers) {
  std::vector<std::string> list = {"kept"};
  GetProcessList(list);
  EXPECT_EQ(list.front(), "kept");
  EXPECT_GT(list.size(), 2u);
  EXPECT_NE(std::find(list.begin(), list.end(), Self()), list.end());
}

TEST(IsProcessRunning, MatchesTheExecutablePathLetterCaseAside) {
  std::string upper = Self();
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  });
  EXPECT_TRUE(IsProcessRunning(Self()));
  EXPECT_TRUE(IsProcessRunning(upper));
  EXPECT_FALSE(IsProcessRunning(Self() + "x"));
  EXPECT_FALSE(IsProcessRunning(fs::path(Self()).parent_path().string()));
}

// Replacing or removing a program's file does not stop it; it stays listed under the path it
// was started from, and a file that merely ends in " (deleted)" keeps its name.
TEST(GetProcessList, ProgramWhoseFileWasReplacedKeepsItsPath) {
  TempFolder folder;
  const std::string program = folder / "prog";
  const std::string oddly_named = folder / "odd (deleted)";
  fs::copy_file(SLP_TEST_CHILD, program);
  fs::copy_file(SLP_TEST_CHILD, oddly_named);
  ChildProcess replaced(program, {"wait"});
  ChildProcess odd(oddly_named, {"wait"});
  ASSERT_TRUE(replaced.WaitForLine("ready"));
  ASSERT_TRUE(odd.WaitForLine("ready"));
  EXPECT_TRUE(Listed(program));
  EXPECT_TRUE(Listed(oddly_named));

  testing::WriteText(folder / "new", "new file");
  ASSERT_EQ(rename((folder / "new").c_str(), program.c_str()), 0);
  EXPECT_TRUE(Listed(program));
  EXPECT_TRUE(IsProcessRunning(program));

  replaced.End();
  EXPECT_FALSE(IsProcessRunning(program));
}

}  // namespace
}  // namespace slp
