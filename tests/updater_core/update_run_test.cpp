#include "updater/core/update_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "scripted_host.h"
#include "support/child_process.h"
#include "support/os_test_support.h"
#include "updater/core/texts.h"

namespace slp::renewer {
namespace {

namespace fs = std::filesystem;
using slp::testing::ChildProcess;
using slp::testing::ReadText;
using slp::testing::TempFolder;
using slp::testing::WriteText;
using testing::ScriptedHost;

constexpr char kUrl[] = "http://127.0.0.1:1/zazavezod/download?slp.exe";

// A temporary directory and an application folder holding the old target.
class UpdateRunTest : public ::testing::Test {
 protected:
  UpdateRunTest() {
    fs::create_directory(folder_ / "tmp");
    fs::create_directory(folder_ / "app");
    target_ = folder_ / "app/slp";
    WriteText(target_, "old");
    settings_.tempDirectory = [this] { return folder_ / "tmp/"; };
    settings_.newGuid = [this] { return "{GUID-" + std::to_string(++guids_) + "}"; };
  }

  RunResult Run(bool restart = true) {
    return RunUpdate(Switches{kUrl, target_, "/updated", restart}, host_, settings_);
  }
  std::string TempFile() const { return folder_ / "tmp/r-{GUID-1}"; }
  bool TempDirectoryEmpty() const { return fs::is_empty(folder_ / "tmp"); }

  TempFolder folder_;
  std::string target_;
  ScriptedHost host_;
  RunSettings settings_;
  int guids_ = 0;
};

TEST_F(UpdateRunTest, SuccessReplacesTheTargetAndRestartsWhenAsked) {
  for (const bool restart : {true, false}) {
    SCOPED_TRACE(restart);
    WriteText(target_, "old");
    ScriptedHost host;
    host.downloads.push_back(ScriptedHost::Complete("new"));
    host_ = host;
    const RunResult r = Run(restart);
    EXPECT_TRUE(r.succeeded);
    EXPECT_FALSE(r.offerRestart);
    EXPECT_FALSE(r.tempFileLeft);
    EXPECT_EQ(ReadText(target_), "new");
    EXPECT_EQ(host_.urls, std::vector<std::string>{kUrl});
    EXPECT_EQ(host_.statuses, std::vector<std::string>{texts::kDownloadFinished});
    EXPECT_EQ(host_.relaunches, restart ? 1 : 0);
    EXPECT_TRUE(host_.errors.empty());
    EXPECT_TRUE(TempDirectoryEmpty());
    EXPECT_EQ(fs::path(r.tempFile).parent_path(), fs::path(folder_ / "tmp"));
    EXPECT_TRUE(fs::path(r.tempFile).filename().string().starts_with("r-{GUID-"));
  }
}

TEST_F(UpdateRunTest, AMissingTargetIsCreatedAndStarted) {
  fs::remove(target_);
  target_ = folder_ / "app/new/deeper/slp";
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  const RunResult r = Run();
  EXPECT_TRUE(r.succeeded);
  EXPECT_EQ(ReadText(target_), "new");
  EXPECT_EQ(host_.relaunches, 1);
  EXPECT_TRUE(host_.inUseTargets.empty());
}

TEST_F(UpdateRunTest, ValidationStopsBeforeTheDownload) {
  WriteText(folder_ / "file", "a file, not a folder");
  struct Case {
    const char* name;
    std::string url;
    std::string target;
    std::string error;
    bool offerRestart;
  } const cases[] = {
      {"nothing", "", "", texts::kNoUrlNoPath, false},
      {"only the target", "", target_, texts::kNoUrl, true},
      {"only the url", kUrl, "", texts::kNoPath, false},
      {"bare file name", kUrl, "slp.exe", std::string(texts::kNoFolder) + "|", false},
      {"folder under a file", kUrl, folder_ / "file/sub/slp",
       std::string(texts::kNoFolder) + "|" + (folder_ / "file/sub/"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost host;
    const RunResult r = RunUpdate(Switches{c.url, c.target, "", true}, host, settings_);
    EXPECT_FALSE(r.succeeded);
    EXPECT_EQ(r.offerRestart, c.offerRestart);
    EXPECT_EQ(host.errors, std::vector<std::string>{c.error});
    EXPECT_TRUE(host.urls.empty());
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_EQ(guids_, 0);  // no temporary name is made for a run that does not start
  }
  EXPECT_EQ(ReadText(target_), "old");
}

TEST_F(UpdateRunTest, TheTargetsFolderIsCreatedWithItsParents) {
  target_ = folder_ / "a/b/c/slp";
  const RunResult r = Run();  // no download scripted: it fails, and Abort ends the run
  EXPECT_TRUE(fs::is_directory(folder_ / "a/b/c"));
  EXPECT_EQ(host_.urls.size(), 1u);
  EXPECT_FALSE(r.succeeded);
  EXPECT_FALSE(r.offerRestart);  // nothing stands at the target path
}

// Whatever is wrong with a download, it never reaches the target: the user is asked, and
// Abort leaves the old file and no temporary file.
TEST_F(UpdateRunTest, IncompleteDownloadsAreFailures) {
  struct Case {
    const char* name;
    bool ok;
    std::string body;
    std::int64_t announced;
    std::string reason;
  } const cases[] = {
      {"error reported", false, "partial", -1, "HTTP status 500"},
      {"empty body", true, "", 0, "empty body"},
      {"empty body, nothing announced", true, "", -1, "empty body"},
      {"shorter than announced", true, "new", 5, "3 bytes of 5 announced"},
      {"longer than announced", true, "new file", 3, "8 bytes of 3 announced"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost host;
    host.downloads.push_back(Download{c.ok, c.body, c.announced, c.ok ? "" : "HTTP status 500"});
    host_ = host;
    const RunResult r = Run();
    EXPECT_FALSE(r.succeeded);
    EXPECT_TRUE(r.offerRestart);
    EXPECT_EQ(host_.downloadQuestions, 1);
    EXPECT_EQ(ReadText(target_), "old");
    EXPECT_TRUE(TempDirectoryEmpty());
    EXPECT_FALSE(r.tempFileLeft);
    EXPECT_EQ(host_.relaunches, 0);
    EXPECT_EQ(r.failure, c.reason);
  }
  EXPECT_TRUE(IsCompleteDownload(Download{true, "body", -1, ""}));  // no size announced
}

TEST_F(UpdateRunTest, RetryUsesTheSameTemporaryName) {
  host_.downloads.push_back(Download{false, "", -1, "refused"});
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  host_.retryDownload = {true};
  // The first write fails as well: a second round of the same kind.
  int writes = 0;
  settings_.faults = [&writes](FileStep s) {
    return s == FileStep::kWriteNew && writes++ == 0 ? ENOSPC : 0;
  };
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  host_.retryDownload.push_back(true);
  const RunResult r = Run();
  EXPECT_TRUE(r.succeeded);
  EXPECT_EQ(host_.urls.size(), 3u);
  EXPECT_EQ(host_.downloadQuestions, 2);
  EXPECT_EQ(guids_, 1);
  EXPECT_EQ(r.tempFile, TempFile());
  EXPECT_EQ(ReadText(target_), "new");
}

TEST_F(UpdateRunTest, WithoutATemporaryDirectoryNothingIsWritten) {
  settings_.tempDirectory = [] { return std::string(); };
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  const RunResult r = Run();
  EXPECT_FALSE(r.succeeded);
  EXPECT_EQ(host_.downloadQuestions, 1);
  EXPECT_FALSE(fs::exists("r-{GUID-1}"));
  EXPECT_EQ(ReadText(target_), "old");
}

TEST_F(UpdateRunTest, ALockedTargetIsAskedAboutUntilReleased) {
  ChildProcess holder(SLP_TEST_CHILD, {"hold", "flock", target_});
  ASSERT_TRUE(holder.WaitForLine("ready"));
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  host_.retryInUse = {true, true};
  int asked = 0;
  host_.onAskInUse = [&] {
    if (++asked == 2) holder.End();  // released while the second question is open
  };
  const RunResult r = Run();
  EXPECT_TRUE(r.succeeded);
  EXPECT_EQ(host_.inUseTargets, (std::vector<std::string>{target_, target_}));
  EXPECT_EQ(ReadText(target_), "new");
}

TEST_F(UpdateRunTest, DecliningATargetInUseDeletesTheTemporaryFile) {
  // A program target is in use while it runs, whatever locks say.
  fs::remove(target_);
  fs::copy_file(SLP_TEST_CHILD, target_);
  const std::string old_bytes = ReadText(target_);
  ChildProcess running(target_, {"wait"});
  ASSERT_TRUE(running.WaitForLine("ready"));
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  const RunResult r = Run();
  EXPECT_FALSE(r.succeeded);
  EXPECT_TRUE(r.offerRestart);
  EXPECT_EQ(host_.inUseTargets, std::vector<std::string>{target_});
  EXPECT_EQ(host_.statuses,
            (std::vector<std::string>{texts::kDownloadFinished, texts::kFailedInUse}));
  EXPECT_TRUE(TempDirectoryEmpty());
  EXPECT_EQ(ReadText(target_), old_bytes);
  EXPECT_EQ(host_.relaunches, 0);
}

TEST_F(UpdateRunTest, AProgramRunThroughALinkIsInUse) {
  const std::string program = folder_ / "app/real";
  fs::copy_file(SLP_TEST_CHILD, program);
  fs::create_symlink(program, folder_ / "app/link");
  EXPECT_FALSE(IsTargetInUse(folder_ / "app/link"));
  ChildProcess running(program, {"wait"});
  ASSERT_TRUE(running.WaitForLine("ready"));
  EXPECT_TRUE(IsTargetInUse(folder_ / "app/link"));
  EXPECT_TRUE(IsTargetInUse(program));
}

TEST_F(UpdateRunTest, AFailedReplacementKeepsTheOldTargetAndTheTemporaryFile) {
  settings_.faults = [](FileStep s) { return s == FileStep::kRenameOver ? EACCES : 0; };
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  const RunResult r = Run();
  EXPECT_FALSE(r.succeeded);
  EXPECT_TRUE(r.offerRestart);
  EXPECT_TRUE(r.tempFileLeft);
  EXPECT_EQ(ReadText(TempFile()), "new");
  EXPECT_EQ(ReadText(target_), "old");
  EXPECT_EQ(host_.statuses.back(), texts::kFailedNotReplaced);
  EXPECT_EQ(host_.relaunches, 0);
  EXPECT_EQ(fs::directory_iterator(folder_ / "app")->path().filename(), "slp");  // no copy left
}

TEST_F(UpdateRunTest, ClosingTheWindowDuringTheDownloadChangesNothing) {
  host_.downloads.push_back(ScriptedHost::Complete("new"));
  host_.abandonAtDownload = true;
  const RunResult r = Run();
  EXPECT_TRUE(r.abandoned);
  EXPECT_FALSE(r.succeeded);
  EXPECT_EQ(ReadText(target_), "old");
  EXPECT_TRUE(TempDirectoryEmpty());
  EXPECT_EQ(host_.downloadQuestions, 0);
}

}  // namespace
}  // namespace slp::renewer
