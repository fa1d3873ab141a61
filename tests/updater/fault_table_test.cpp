// Each step of a run broken in turn. After every failure the target is the old file, whole,
// and nothing of the new file is left beside it; the table printed at the end says where a
// temporary file stayed.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <cerrno>
#include <cstdio>
#include <map>

#include "download_service.h"
#include "support/child_process.h"
#include "updater_fixture.h"

namespace slp::renewer {
namespace {

namespace fs = std::filesystem;
using slp::testing::ChildProcess;
using testing::DownloadService;
using testing::HandOff;
using testing::ReadText;
using testing::ResettingServer;
using testing::Updater;
using testing::WaitFor;
using testing::WriteText;

struct FaultCase {
  const char* step;
  const char* path;  // on the download service; "" for a refused connection
  bool resetting;    // the service ends connections with a reset
  std::map<FileStep, int> faults;
  bool lockTarget;    // another process locks the target; the user declines to retry
  bool replaced;      // the target is the new file afterwards
  bool tempFileLeft;  // the complete download stays in the temporary directory
};

const FaultCase kFaults[] = {
    {"connection refused", "", false, {}, false, false, false},
    {"error status (404)", "/error", false, {}, false, false, false},
    {"reset mid-body", "/short", true, {}, false, false, false},
    {"short body", "/short", false, {}, false, false, false},
    {"empty body", "/empty", false, {}, false, false, false},
    {"temporary file not writable",
     "/file",
     false,
     {{FileStep::kWriteNew, EACCES}},
     false,
     false,
     false},
    {"target in use, declined", "/file", false, {}, true, false, false},
    {"old target not removable",
     "/file",
     false,
     {{FileStep::kRenameOver, EBUSY}, {FileStep::kMoveAside, EPERM}},
     false,
     false,
     true},
    {"move failing",
     "/file",
     false,
     {{FileStep::kRenameOver, EBUSY}, {FileStep::kMoveIn, EIO}},
     false,
     false,
     true},
    {"rename over refused", "/file", false, {{FileStep::kRenameOver, EACCES}}, false, false, true},
    {"nothing broken", "/file", false, {}, false, true, false},
};

TEST(UpdaterFaults, TheTargetIsAlwaysOneWholeFile) {
  std::string table =
      "| broken step | reason | status | target afterwards | temporary file |\n"
      "|---|---|---|---|---|\n";
  for (const FaultCase& c : kFaults) {
    SCOPED_TRACE(c.step);
    DownloadService server;
    server.SetBody(std::string(100000, 'n'));
    ResettingServer resetting(std::string(100000, 'n'));
    Updater u;
    const std::string target = u.App("data.bin");
    const std::string old(50000, 'o');
    WriteText(target, old);
    std::unique_ptr<ChildProcess> holder;
    if (c.lockTarget) {
      holder = std::make_unique<ChildProcess>(SLP_TEST_CHILD,
                                              std::vector<std::string>{"hold", "flock", target});
      ASSERT_TRUE(holder->WaitForLine("ready"));
    }
    u.faults = [&c](FileStep s) {
      const auto it = c.faults.find(s);
      return it == c.faults.end() ? 0 : it->second;
    };
    const std::string url =
        c.resetting ? resetting.Url(c.path)
        : *c.path   ? server.Url(c.path)
                    : "http://127.0.0.1:" + std::to_string(slp::testing::ClosedPort()) + "/file";
    for (int i = 0; i < 3; ++i) Dialogs::SetNextAnswer(ModalResult::Abort);  // every box
    u.Run(HandOff(url, target, false, ""));
    Dialogs::ClearAnswers();
    holder.reset();

    const std::string now = ReadText(target);
    EXPECT_EQ(now, c.replaced ? std::string(100000, 'n') : old);
    EXPECT_EQ(u.AppEntries(), std::vector<std::string>{"data.bin"});
    std::vector<std::string> temps;
    for (const auto& e : fs::directory_iterator(u.folder / "tmp")) temps.push_back(e.path());
    EXPECT_EQ(temps.size(), c.tempFileLeft ? 1u : 0u);
    for (const std::string& t : temps) {
      EXPECT_EQ(t, u.form->LastRun().tempFile);
      EXPECT_EQ(ReadText(t), std::string(100000, 'n'));  // a complete download
    }
    EXPECT_EQ(u.form->btnRestart->isVisible(), !c.replaced);
    table += std::string("| ") + c.step + " | " + u.form->LastRun().failure + " | " +
             u.form->lblStatus->text().toStdString() + " | " +
             (now == old             ? "old file, intact"
              : now.size() == 100000 ? "new file, complete"
                                     : "BROKEN") +
             " | " + (temps.empty() ? "none" : "left in the temporary directory") + " |\n";
  }
  std::fputs(table.c_str(), stdout);
}

}  // namespace
}  // namespace slp::renewer
