#include "app/core/settings_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/os_test_support.h"

namespace slp {
namespace {

using testing::ReadText;
using testing::TableEnvironment;
using testing::TempFolder;
using testing::WriteText;

TEST(SettingsFolder, MakerAndProductUnderTheExpandedAppData) {
  const struct {
    const char* what;
    std::map<std::string, std::string> env;
    const char* product;
    const char* folder;
  } cases[] = {
      {"APPDATA", {{"APPDATA", "/data/ann"}}, "Sylpnote", "/data/ann/Tarnel/Sylpnote/"},
      {"APPDATA with its separator",
       {{"APPDATA", "/data/ann/"}},
       "Sylpnote",
       "/data/ann/Tarnel/Sylpnote/"},
      {"APPDATA with blanks around",
       {{"APPDATA", " /data/ann\t"}},
       "Sylpnote",
       "/data/ann/Tarnel/Sylpnote/"},
      {"no APPDATA",
       {{"XDG_CONFIG_HOME", "/x/conf"}, {"HOME", "/home/ann"}},
       "Sylpnote",
       "/x/conf/Tarnel/Sylpnote/"},
      {"nor XDG_CONFIG_HOME",
       {{"HOME", "/home/ann"}},
       "Sylpnote",
       "/home/ann/.config/Tarnel/Sylpnote/"},
      {"no product name", {{"APPDATA", "/a"}}, "", "/a/Tarnel/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingsFolder(c.product, TableEnvironment(c.env)), c.folder) << c.what;
  }
}

TEST(SettingsFileName, ExtensionReplacedOrAdded) {
  const struct {
    const char* executable;
    const char* ini;
  } cases[] = {
      {"/usr/bin/slp", "slp.ini"}, {"/opt/other.exe", "other.ini"}, {"other", "other.ini"},
      {"/x/a.b.c", "a.b.ini"},     {"/x.d/slp", "slp.ini"},         {"/x/.hidden", ".hidden.ini"},
      {"/x/slp.", "slp.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(SettingsFileName(c.executable), c.ini) << c.executable;
}

TEST(BrowserCacheFolder, SiblingNamedCache) {
  const struct {
    const char* ini;
    const char* cache;
  } cases[] = {
      {"/home/ann/.config/Tarnel/Sylpnote/slp.ini", "/home/ann/.config/Tarnel/Sylpnote/cache"},
      {"/home/ann/.config/Tarnel/Sylpnote/other.ini", "/home/ann/.config/Tarnel/Sylpnote/cache"},
      // The file's name also stands in a folder above: only the file's own name is replaced.
      {"/srv/slp.ini/Tarnel/Sylpnote/slp.ini", "/srv/slp.ini/Tarnel/Sylpnote/cache"},
      {"/srv/map.ini/Tarnel/Sylpnote/p.ini", "/srv/map.ini/Tarnel/Sylpnote/cache"},
  };
  for (const auto& c : cases) EXPECT_EQ(BrowserCacheFolder(c.ini), c.cache) << c.ini;
}

class SettingsPathsTest : public ::testing::Test {
 protected:
  SettingsPaths Paths(const std::string& executable = "/usr/bin/slp") const {
    return SettingsPaths("Sylpnote", executable, TableEnvironment({{"APPDATA", appdata_}}));
  }
  std::string Folder() const { return appdata_ + "/Tarnel/Sylpnote/"; }

  TempFolder root_;
  std::string appdata_ = root_ / "roaming";
};

TEST_F(SettingsPathsTest, FirstRunCreatesTheFolderAndSavesTheDefault) {
  SettingsPaths paths = Paths();
  const std::string ini = paths.GetIniFileName();
  EXPECT_EQ(ini, Folder() + "slp.ini");
  EXPECT_TRUE(std::filesystem::is_directory(Folder()));
  EXPECT_FALSE(std::filesystem::exists(ini));
  EXPECT_EQ(ReadIntervalSetting(ini, 1), 1);
  EXPECT_TRUE(WriteIntervalSetting(ini, 1));
  EXPECT_EQ(ReadText(ini), "[Sylp]\nInterval=1\n");
  EXPECT_EQ(paths.GetCacheFolder(), Folder() + "cache");
}

TEST_F(SettingsPathsTest, NewFoldersArePrivateAndExistingOnesKeepTheirMode) {
  // The folder holds the engine's cookies: nobody else may read it.
  ASSERT_TRUE(std::filesystem::create_directory(appdata_));
  ASSERT_EQ(chmod(appdata_.c_str(), 0755), 0);
  Paths().GetIniFileName();
  const struct {
    std::string folder;
    unsigned mode;
  } cases[] = {{appdata_, 0755}, {appdata_ + "/Tarnel", 0700}, {Folder(), 0700}};
  for (const auto& c : cases) {
    struct stat st {};
    ASSERT_EQ(stat(c.folder.c_str(), &st), 0) << c.folder;
    EXPECT_EQ(st.st_mode & 07777, c.mode) << c.folder;
  }
}

TEST_F(SettingsPathsTest, FolderIsMadeOnceAndThePathRemembered) {
  SettingsPaths paths = Paths();
  const std::string first = paths.GetIniFileName();
  std::filesystem::remove_all(appdata_);
  EXPECT_EQ(paths.GetIniFileName(), first);
  EXPECT_FALSE(std::filesystem::exists(appdata_));  // not made again
}

TEST_F(SettingsPathsTest, StoredValuesAreReadAsWritten) {
  const std::string ini = Paths().GetIniFileName();
  const struct {
    const char* line;
    int read;
  } cases[] = {
      {"Interval=500", 500},  // limiting to 1..120 is the interval field's job
      {"Interval=abc", 1},   {"Interval=", 1}, {"Interval = 30 ", 30}, {"Interval=-2", -2},
  };
  for (const auto& c : cases) {
    WriteText(ini, std::string("[Sylp]\n") + c.line + "\n");
    EXPECT_EQ(ReadIntervalSetting(ini, 1), c.read) << c.line;
  }
}

TEST_F(SettingsPathsTest, SavingKeepsEverythingElseByteForByte) {
  const std::string ini = Paths().GetIniFileName();
  const std::string before =
      "\xEF\xBB\xBF; written by hand\r\n[Window]\r\nTop=3\r\n\r\n[SYLP]\r\n"
      "  Interval = 500 \r\nLanguage=fr\r\n; end\r\n";
  WriteText(ini, before);
  ASSERT_TRUE(WriteIntervalSetting(ini, 120));
  std::string expected = before;
  expected.replace(expected.find("Interval = 500 "), 15, "Interval=120");
  EXPECT_EQ(ReadText(ini), expected);
}

TEST_F(SettingsPathsTest, ExecutableNameNamesTheFileNotTheFolders) {
  SettingsPaths paths = Paths("/somewhere/other");
  EXPECT_EQ(paths.GetIniFileName(), Folder() + "other.ini");
  EXPECT_EQ(paths.GetCacheFolder(), Folder() + "cache");
}

TEST_F(SettingsPathsTest, UncreatableFolderReadsDefaultsAndLosesWrites) {
  WriteText(appdata_, "a file where the folder should be");
  SettingsPaths paths = Paths();
  std::string ini;
  EXPECT_NO_THROW(ini = paths.GetIniFileName());
  EXPECT_EQ(ini, Folder() + "slp.ini");
  EXPECT_EQ(ReadIntervalSetting(ini, 4), 4);
  EXPECT_FALSE(WriteIntervalSetting(ini, 5));
  EXPECT_EQ(ReadText(appdata_), "a file where the folder should be");
}

TEST(RunningExecutablePath, NamesThisTestProgram) {
  const std::string path = RunningExecutablePath();
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "app_core_tests");
  EXPECT_EQ(SettingsFileName(path), "app_core_tests.ini");
}

}  // namespace
}  // namespace slp
