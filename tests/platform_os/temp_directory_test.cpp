#include "platform/os/temp_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/os_test_support.h"

namespace slp {
namespace {

using testing::TableEnvironment;
using testing::TempFolder;

class TempDirectoryTest : public ::testing::Test {
 protected:
  std::string Own() const { return folder_ / ("slp-" + std::to_string(geteuid())); }
  static mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
  }
  std::string Get(std::map<std::string, std::string> env = {}) const {
    return GetTempDirectory(TableEnvironment(std::move(env)), folder_.Path());
  }

  TempFolder folder_;
};

TEST_F(TempDirectoryTest, TmpdirNamingAUsableDirectoryIsTaken) {
  const std::string mine = folder_ / "mine";
  ASSERT_TRUE(std::filesystem::create_directory(mine));
  EXPECT_EQ(Get({{"TMPDIR", mine}}), mine + "/");
  EXPECT_EQ(Get({{"TMPDIR", mine + "//"}}), mine + "/");
  EXPECT_FALSE(std::filesystem::exists(Own()));
}

TEST_F(TempDirectoryTest, OtherwiseAPrivateDirectoryIsCreated) {
  testing::WriteText(folder_ / "file", "x");
  const char* unusable[] = {"", "relative", "/nonexistent/slp-test", nullptr};
  for (const char* tmpdir : unusable) {
    std::map<std::string, std::string> env;
    if (tmpdir) env["TMPDIR"] = tmpdir;
    EXPECT_EQ(Get(env), Own() + "/") << (tmpdir ? tmpdir : "(unset)");
  }
  EXPECT_EQ(Get({{"TMPDIR", folder_ / "file"}}), Own() + "/");
  const mode_t mode = ModeOf(Own());
  EXPECT_TRUE(S_ISDIR(mode));
  EXPECT_EQ(mode & 07777, 0700u);
}

TEST_F(TempDirectoryTest, OwnExistingDirectoryIsMadePrivate) {
  ASSERT_EQ(mkdir(Own().c_str(), 0755), 0);
  ASSERT_EQ(chmod(Own().c_str(), 0777), 0);
  EXPECT_EQ(Get(), Own() + "/");
  EXPECT_EQ(ModeOf(Own()) & 07777, 0700u);
}

TEST_F(TempDirectoryTest, NameTakenByAnythingElseIsRefused) {
  const std::string elsewhere = folder_ / "elsewhere";
  ASSERT_TRUE(std::filesystem::create_directory(elsewhere));
  ASSERT_EQ(chmod(elsewhere.c_str(), 0755), 0);
  ASSERT_EQ(symlink(elsewhere.c_str(), Own().c_str()), 0);
  EXPECT_EQ(Get(), "");                         // a link planted by someone else...
  EXPECT_EQ(ModeOf(elsewhere) & 07777, 0755u);  // ...whose target is left alone

  ASSERT_EQ(unlink(Own().c_str()), 0);
  testing::WriteText(Own(), "not a directory");
  EXPECT_EQ(Get(), "");
}

TEST_F(TempDirectoryTest, DirectoryOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a directory away needs root";
  ASSERT_EQ(mkdir(Own().c_str(), 0700), 0);
  ASSERT_EQ(chown(Own().c_str(), 4242, 4242), 0);
  EXPECT_EQ(Get(), "");
  EXPECT_EQ(ModeOf(Own()) & 07777, 0700u);
}

TEST(TempDirectory, SystemDefaultEndsInASeparator) {
  const std::string dir = GetTempDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(dir));
}

}  // namespace
}  // namespace slp
