#include "update/hand_off.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/command_line.h"
#include "support/os_test_support.h"

namespace slp {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

TEST(OwnArguments, WhatTheNotifierPassesOnThroughAnUpdate) {
  const struct {
    const char* what;
    std::string executable;
    std::vector<std::string> arguments;
    std::string own;        // what OwnArguments gives
    std::string parameter;  // as it stands in the updater's "commandline=" value
  } cases[] = {
      {"no arguments", "/opt/slp/slp", {}, "/updated", "/updated"},
      {"after an earlier update", "/opt/slp/slp", {"/updated"}, "/updated", "/updated"},
      {"a path with blanks", "/home/a b/slp", {}, "/updated", "/updated"},
      {"two arguments", "/opt/slp/slp", {"-x", "y"}, "-x y", "-x y"},
      {"an argument with a blank", "/opt/slp/slp", {"a b"}, "\"a b\"", ">a b>"},
      {"double quotes inside", "/opt/slp/slp", {"say\"hi\""}, "say\"hi\"", "say>hi>"},
      {"an empty argument", "/opt/slp/slp", {""}, "\"\"", ">>"},
      {"the path again as an argument",
       "/opt/slp/slp",
       {"/opt/slp/slp"},
       "/opt/slp/slp",
       "/opt/slp/slp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> argv{c.executable};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    const std::string line = JoinCommandLine(argv);
    const std::string own = OwnArguments(line, c.executable);
    EXPECT_EQ(own, c.own) << line;
    EXPECT_EQ(HandOffParameters("http://maker.test/zazavezod/download?slp.exe", c.executable, own),
              "/url=\"http://maker.test/zazavezod/download?slp.exe\" /target=\"" + c.executable +
                  "\" /restart /commandline=\"" + c.parameter + "\"");
  }
}

TEST(OwnArguments, ACommandLineWithoutThePathKeepsWhatItHas) {
  EXPECT_EQ(OwnArguments("other /x", "/opt/slp/slp"), "other /x");
  EXPECT_EQ(OwnArguments("", "/opt/slp/slp"), "/updated");
}

TEST(StartArguments, AreThisProcesssArgumentsAfterItsPath) {
  std::vector<std::string> expected = ::testing::internal::GetArgvs();
  expected.erase(expected.begin());
  EXPECT_EQ(StartArguments(), expected);
}

class UpdaterFiles : public ::testing::Test {
 protected:
  TempFolder temp_;
  std::string file_ = UpdaterFile(temp_.Path() + "/");
  std::string folder_ = UpdaterFolder(temp_.Path() + "/");
};

TEST_F(UpdaterFiles, LiveInTheirOwnFolderUnderTheTemporaryDirectory) {
  EXPECT_EQ(folder_, temp_.Path() + "/Renewer/");
  EXPECT_EQ(file_, temp_.Path() + "/Renewer/Renewer");
}

TEST_F(UpdaterFiles, RemovalLeavesNothingOrSaysWhatIsLeft) {
  auto never = [](const std::string&) { return false; };
  // Nothing there.
  EXPECT_TRUE(RemoveUpdater(file_, never));
  // File and folder.
  ASSERT_TRUE(std::filesystem::create_directories(folder_));
  WriteText(file_, "program");
  EXPECT_TRUE(RemoveUpdater(file_, never));
  EXPECT_FALSE(std::filesystem::exists(folder_));
  // Still running: kept whole.
  ASSERT_TRUE(std::filesystem::create_directories(folder_));
  WriteText(file_, "program");
  EXPECT_FALSE(RemoveUpdater(file_, [&](const std::string& path) { return path == file_; }));
  EXPECT_EQ(ReadText(file_), "program");
  // A folder that holds another file stays; the updater file goes.
  WriteText(folder_ + "notes.txt", "mine");
  EXPECT_FALSE(RemoveUpdater(file_, never));
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(ReadText(folder_ + "notes.txt"), "mine");
  EXPECT_TRUE(RemoveUpdater(file_, never));  // nothing of ours is left
}

TEST_F(UpdaterFiles, WrittenWholeExecutableByItsOwnerOnlyAndReplacingAnOldOne) {
  ASSERT_TRUE(std::filesystem::create_directories(folder_));
  WriteText(file_, "old and longer");
  const std::string bytes(
      "\x7f"
      "ELF\0\1\2",
      7);
  ASSERT_TRUE(WriteUpdater(file_, bytes));
  EXPECT_EQ(ReadText(file_), bytes);
  struct stat st {};
  ASSERT_EQ(stat(file_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            1);  // no temporary left
  EXPECT_FALSE(WriteUpdater(temp_.Path() + "/missing/Renewer", bytes));
}

}  // namespace
}  // namespace slp
