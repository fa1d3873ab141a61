// Whole runs of the updater's window against a loopback download service, on real files,
// with real programs started and locks held by real processes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include "download_service.h"
#include "platform/ui/animate.h"
#include "support/child_process.h"
#include "updater_fixture.h"

namespace slp::renewer {
namespace {

namespace fs = std::filesystem;
using slp::testing::ChildProcess;
using testing::DownloadService;
using testing::HandOff;
using testing::ReadText;
using testing::Updater;
using testing::WaitFor;
using testing::WriteText;

// The program that records how it was started, as the new file to install.
std::string ChildBytes() { return ReadText(SLP_TEST_CHILD); }

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
    lines.push_back(text.substr(at, nl - at));
  return lines;
}

TEST(UpdaterRun, SuccessWithRestartStartsTheNewProgramWithItsArgumentsAndCloses) {
  DownloadService server;
  server.SetBody(ChildBytes());
  Updater u;
  const std::string target = u.App("my slp");
  WriteText(target, "old program");
  ASSERT_EQ(chmod(target.c_str(), 0750), 0);
  u.Run(HandOff(server.Url("/file"), target, true, "\"/home/me/a b\" -v"));

  EXPECT_EQ(ReadText(target), ChildBytes());
  EXPECT_EQ(ModeOf(target), 0750u);
  EXPECT_TRUE(u.TempDirectoryEmpty());
  // Nothing left beside the target but what the restarted program may have written already.
  std::vector<std::string> entries = u.AppEntries();
  std::erase(entries, "record.txt");
  EXPECT_EQ(entries, std::vector<std::string>{"my slp"});
  EXPECT_EQ(u.statuses,
            (std::vector<QString>{"Download successful...", "Download finished...",
                                  "Application has been relaunched...", "Successful update"}));
  EXPECT_FALSE(u.form->btnRestart->isVisible());
  EXPECT_TRUE(u.form->tmrAutoClose->isActive());
  // Started by its file name in its own folder, the quotes of its arguments restored.
  ASSERT_TRUE(WaitFor([&] { return fs::exists(u.App("record.txt")); }));
  EXPECT_TRUE(WaitFor([&] { return !Lines(ReadText(u.App("record.txt"))).empty(); }));
  EXPECT_EQ(
      Lines(ReadText(u.App("record.txt"))),
      std::vector<std::string>{u.folder / "app" + "\tsession\tsigpipe-default\t/home/me/a b\t-v"});
  // The timer's first tick closes the window.
  EXPECT_TRUE(WaitFor([&] { return !u.form->isVisible(); }, 10000));
  EXPECT_EQ(u.started.size(), 1u);
}

TEST(UpdaterRun, SuccessWithoutRestartStartsNothingAndCloses) {
  DownloadService server;
  Updater u;
  const std::string target = u.App("data.bin");
  WriteText(target, "old");
  u.Run(HandOff(server.Url("/file"), target, false, "/updated"));
  EXPECT_EQ(ReadText(target), "new file");
  EXPECT_EQ(u.statuses.back(), "Successful update");
  EXPECT_TRUE(u.started.empty());
  EXPECT_TRUE(WaitFor([&] { return !u.form->isVisible(); }, 10000));
  EXPECT_EQ(u.AppEntries(), std::vector<std::string>{"data.bin"});
}

TEST(UpdaterRun, AMissingTargetIsCreatedAndStarted) {
  DownloadService server;
  server.SetBody(ChildBytes());
  Updater u;
  const std::string target = u.App("new/deeper/prog");
  u.Run(HandOff(server.Url("/file"), target, true, ""));
  EXPECT_EQ(u.statuses.back(), "Successful update");
  EXPECT_EQ(ReadText(target), ChildBytes());
  EXPECT_NE(ModeOf(target) & 0100, 0u);  // a program stays one
  ASSERT_TRUE(WaitFor([&] { return !ReadText(u.App("new/deeper/record.txt")).empty(); }));
  EXPECT_EQ(Lines(ReadText(u.App("new/deeper/record.txt"))),
            std::vector<std::string>{u.App("new/deeper") + "\tsession\tsigpipe-default"});
}

TEST(UpdaterRun, ARedirectIsFollowed) {
  DownloadService server;
  Updater u;
  WriteText(u.App("slp"), "old");
  u.Run(HandOff(server.Url("/redirect"), u.App("slp"), false, ""));
  EXPECT_EQ(ReadText(u.App("slp")), "new file");
  EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/redirect", "/file"}));
}

TEST(UpdaterRun, AnHttpErrorAndAbortOffersTheRestartButton) {
  DownloadService server;
  Updater u;
  WriteText(u.App("slp"), "old");
  QString statusUnderTheBox;
  int barUnderTheBox = -1;
  u.OnNextBox([&](QMessageBox& box) {
    statusUnderTheBox = u.form->lblStatus->text();
    barUnderTheBox = u.form->pbDownload->value();
    box.findChild<QAbstractButton*>("Abort")->click();
  });
  u.Run(HandOff(server.Url("/error"), u.App("slp"), true, ""));
  // A failed transfer is never shown as a successful one.
  EXPECT_EQ(statusUnderTheBox, "The update is starting...");
  EXPECT_EQ(barUnderTheBox, 0);
  const auto& box = Dialogs::LastDialog();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "Cannot download the file!");
  EXPECT_EQ(box->icon, QMessageBox::Critical);
  EXPECT_EQ(box->buttons, (std::vector<ModalResult>{ModalResult::Abort, ModalResult::Retry}));
  EXPECT_EQ(u.form->lblStatus->text(), "The update has failed");
  EXPECT_TRUE(u.form->btnRestart->isVisible());
  EXPECT_EQ(u.form->btnRestart->toolTip(), QString::fromStdString(u.App("slp")));
  EXPECT_EQ(ReadText(u.App("slp")), "old");
  EXPECT_TRUE(u.TempDirectoryEmpty());
  EXPECT_TRUE(u.started.empty());
  EXPECT_FALSE(u.form->tmrAutoClose->isActive());
}

TEST(UpdaterRun, RetryAfterAnErrorUsesTheSameTemporaryName) {
  DownloadService server;
  server.flaky_failures = 2;
  Updater u;
  WriteText(u.App("slp"), "old");
  Dialogs::SetNextAnswer(ModalResult::Retry);
  Dialogs::SetNextAnswer(ModalResult::Retry);
  u.Run(HandOff(server.Url("/flaky"), u.App("slp"), false, ""));
  EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/flaky", "/flaky", "/flaky"}));
  EXPECT_EQ(u.guids, 1);  // one name for the run
  EXPECT_TRUE(u.form->LastRun().succeeded);
  EXPECT_EQ(fs::path(u.form->LastRun().tempFile).parent_path(), fs::path(u.folder / "tmp"));
  EXPECT_EQ(ReadText(u.App("slp")), "new file");
  EXPECT_EQ(Dialogs::PendingAnswers(), 0u);
}

// The notifier still runs when the download ends: the question names it, and once it has
// ended Retry goes on with the update.
TEST(UpdaterRun, TargetRunByAProcessIsAskedAboutUntilItEnds) {
  DownloadService server;
  server.SetBody(ChildBytes() + "v2");
  Updater u;
  const std::string target = u.App("slp");
  fs::copy_file(SLP_TEST_CHILD, target);
  auto running = std::make_unique<ChildProcess>(target, std::vector<std::string>{"wait"});
  ASSERT_TRUE(running->WaitForLine("ready"));
  QString asked;
  u.OnNextBox([&](QMessageBox& box) {
    asked = box.text();
    running.reset();  // the notifier ends
    box.findChild<QAbstractButton*>("Retry")->click();
  });
  u.Run(HandOff(server.Url("/file"), target, false, ""));
  EXPECT_EQ(asked, "The target file is currently used...\r\n" + QString::fromStdString(target) +
                       "\r\n\r\nWould you retry?");
  EXPECT_EQ(Dialogs::LastDialog()->icon, QMessageBox::Question);
  EXPECT_EQ(Dialogs::LastDialog()->buttons,
            (std::vector<ModalResult>{ModalResult::Abort, ModalResult::Retry}));
  EXPECT_EQ(u.statuses.back(), "Successful update");
  EXPECT_EQ(ReadText(target), ChildBytes() + "v2");
}

TEST(UpdaterRun, LockedFileIsAskedAboutAndRetryAfterReleaseGoesOn) {
  DownloadService server;
  Updater u;
  const std::string target = u.App("settings.DAT");
  WriteText(target, "old");
  auto holder = std::make_unique<ChildProcess>(SLP_TEST_CHILD,
                                               std::vector<std::string>{"hold", "posix", target});
  ASSERT_TRUE(holder->WaitForLine("ready"));
  int questions = 0;
  // First Retry while still locked: asked again; then released and Retry.
  u.OnNextBox([&](QMessageBox& box) {
    ++questions;
    box.findChild<QAbstractButton*>("Retry")->click();
    u.OnNextBox([&](QMessageBox& again) {
      ++questions;
      holder.reset();
      again.findChild<QAbstractButton*>("Retry")->click();
    });
  });
  u.Run(HandOff(server.Url("/file"), target, false, ""));
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(u.statuses.back(), "Successful update");
  EXPECT_EQ(ReadText(target), "new file");
}

TEST(UpdaterRun, RestartButtonClickedTwiceStartsTwiceAndClosesAfterTheFirstClick) {
  DownloadService server;
  Updater u;
  const std::string target = u.App("slp");
  fs::copy_file(SLP_TEST_CHILD, target);
  Dialogs::SetNextAnswer(ModalResult::Abort);
  u.Run(HandOff(server.Url("/error"), target, true, "/updated"));
  ASSERT_TRUE(u.form->btnRestart->isVisible());
  u.form->btnRestart->click();
  EXPECT_TRUE(u.form->tmrAutoClose->isActive());
  const int timer = u.form->tmrAutoClose->timerId();
  u.form->btnRestart->click();
  EXPECT_EQ(u.form->tmrAutoClose->timerId(), timer);  // the interval runs from the first click
  EXPECT_TRUE(u.form->btnRestart->isVisible());
  EXPECT_TRUE(u.form->btnRestart->isEnabled());
  EXPECT_EQ(u.form->lblStatus->text(), "Application has been relaunched...");
  ASSERT_TRUE(WaitFor([&] { return Lines(ReadText(u.App("record.txt"))).size() == 2; }));
  for (const std::string& line : Lines(ReadText(u.App("record.txt"))))
    EXPECT_EQ(line, u.folder / "app" + "\tsession\tsigpipe-default\t/updated");
  EXPECT_EQ(ReadText(target), ChildBytes());
  EXPECT_TRUE(WaitFor([&] { return !u.form->isVisible(); }, 10000));
}

// While the transfer runs the window lives: the bar follows the bytes, the clip plays and the
// window repaints. At the end the clip stands still on its 67th frame over a full bar.
TEST(UpdaterRun, TheWindowStaysResponsiveDuringTheDownload) {
  DownloadService server;
  server.SetBody(std::string(400000, 'x'));
  server.slow_chunks = 20;
  server.slow_pause_ms = 60;
  Updater u;
  WriteText(u.App("slp"), "old");
  u.Create(HandOff(server.Url("/slow"), u.App("slp"), false, ""));
  QSignalSpy values(u.form->pbDownload, &QProgressBar::valueChanged);
  QSignalSpy frames(u.form->aniDownloading, &TAnimate::FrameChanged);
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  u.form->pbDownload->installEventFilter(&counter);
  int paintsDuringDownload = 0, framesDuringDownload = 0;
  QObject::connect(u.form.get(), &TfrmMain::StatusShown, [&](const QString& s) {
    if (s == "Download successful...") {
      paintsDuringDownload = counter.paints;
      framesDuringDownload = static_cast<int>(frames.count());
    }
  });
  u.form->show();
  ASSERT_TRUE(WaitFor([&] { return u.ended; }));
  EXPECT_EQ(u.form->pbDownload->maximum(), 400000);
  EXPECT_GE(values.count(), 5);
  EXPECT_GE(framesDuringDownload, 3);
  EXPECT_GE(paintsDuringDownload, 3);
  for (int i = 1; i < values.count(); ++i)
    EXPECT_GE(values.at(i).at(0).toInt(), values.at(i - 1).at(0).toInt());
  EXPECT_EQ(u.form->pbDownload->value(), 400000);
  EXPECT_TRUE(u.form->aniDownloading->isVisible());
  EXPECT_FALSE(u.form->aniDownloading->Active());
  EXPECT_EQ(u.form->aniDownloading->CurrentFrame(), 67);
  EXPECT_EQ(u.statuses.back(), "Successful update");
}

// The download waits in a loop of its own, and the end of the transfer pumps events once more
// to paint: a close from either place stops the run before it touches the target.
TEST(UpdaterRun, ClosingTheWindowDuringTheDownloadLeavesTheTarget) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> arrange;
  };
  const Case cases[] = {
      {"during the transfer",
       [](TfrmMain& f) {
         QObject::connect(f.pbDownload, &QProgressBar::valueChanged, [&f](int value) {
           if (value > 0) f.close();
         });
       }},
      {"while the end of the transfer paints",
       [](TfrmMain& f) {
         QObject::connect(&f, &TfrmMain::StatusShown, [&f](const QString& s) {
           if (s == "Download successful...") QTimer::singleShot(0, &f, [&f] { f.close(); });
         });
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DownloadService server;
    server.SetBody(std::string(200000, 'x'));
    server.slow_pause_ms = 100;
    Updater u;
    WriteText(u.App("slp"), "old");
    u.Create(HandOff(server.Url("/slow"), u.App("slp"), true, ""));
    c.arrange(*u.form);
    u.form->show();
    ASSERT_TRUE(WaitFor([&] { return u.ended; }));
    EXPECT_TRUE(u.form->LastRun().abandoned);
    EXPECT_TRUE(WaitFor([&] { return !u.form->isVisible(); }));
    EXPECT_EQ(ReadText(u.App("slp")), "old");
    EXPECT_TRUE(u.TempDirectoryEmpty());
    EXPECT_TRUE(u.started.empty());
  }
}

}  // namespace
}  // namespace slp::renewer
