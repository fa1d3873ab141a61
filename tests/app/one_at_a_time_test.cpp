// Reading the page source pumps events: whatever they bring must wait for the check.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <filesystem>

#include "app/engine_failure.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/spin_edit.h"
#include "platform/ui/termination.h"
#include "platform/ui/tray_icon.h"
#include "support/wait.h"
#include "window_fixture.h"

namespace slp {
namespace {

using testing::ReadText;
using testing::WaitFor;

// A window whose page is the stream, its post time recorded.
struct OnTheStream : Window {
  OnTheStream() {
    Start();
    Stream(StreamWith("09:41"));
  }
};

TEST(OneCheckAtATime, ALoadEndDuringACheckIsHandledAfterIt) {
  OnTheStream w;  // recorded silently
  TfrmMain& f = *w.form;
  ASSERT_EQ(f.LastTime(), "09:41");

  // While 09:55 is read, the page moves on to 10:02 and its load ends.
  bool timer_ran_inside = true;
  w.fake->during_source = [&] {
    w.fake->source = StreamWith("10:02");
    w.fake->LoadEnd();
    timer_ran_inside = f.tmrRefresh->isActive();
  };
  w.fake->source = StreamWith("09:55");
  const int reads = w.fake->source_reads;
  w.fake->LoadEnd();
  EXPECT_FALSE(timer_ran_inside);
  EXPECT_EQ(w.fake->source_reads, reads + 1);  // the later load end waits
  EXPECT_EQ(f.LastTime(), "09:55");
  EXPECT_EQ(Log(f), QStringList({"09:55"}));

  Settle();
  EXPECT_EQ(w.fake->source_reads, reads + 2);  // and is not dropped
  EXPECT_EQ(f.LastTime(), "10:02");
  // In the order the page showed them; never an older time announced after a newer one.
  EXPECT_EQ(Log(f), QStringList({"09:55", "10:02"}));
  EXPECT_TRUE(f.tmrRefresh->isActive());
}

TEST(OneCheckAtATime, TheTimerStartsOnlyWhenTheCheckEnds) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> meanwhile;
    bool running_after;
  };
  const Case cases[] = {
      {"box unticked and ticked again",
       [](TfrmMain& f) {
         f.chkRefresh->setChecked(false);
         f.chkRefresh->setChecked(true);
       },
       true},
      {"interval changed", [](TfrmMain& f) { f.spedInterval->SetValue(15); }, true},
      {"box unticked", [](TfrmMain& f) { f.chkRefresh->setChecked(false); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnTheStream w;
    TfrmMain& f = *w.form;
    bool active_inside = true;
    w.fake->during_source = [&] {
      c.meanwhile(f);
      active_inside = f.tmrRefresh->isActive();
    };
    w.fake->LoadEnd();
    EXPECT_FALSE(active_inside);
    Settle();
    EXPECT_EQ(f.tmrRefresh->isActive(), c.running_after);
    if (c.running_after) {
      EXPECT_EQ(f.tmrRefresh->interval(), f.spedInterval->Value() * 60000);
    }
  }
}

TEST(OneCheckAtATime, AWindowClosedDuringTheWaitEndsAfterTheCheckWithItsSettingsSaved) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> close;
  };
  const Case cases[] = {
      {"tray Exit", [](TfrmMain& f) { f.miQuit->trigger(); }},
      {"close box", [](TfrmMain& f) { f.close(); }},
      {"thumbnail Exit", [](TfrmMain& f) { f.WMCommand((0x1800u << 16) | 1u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnTheStream w;
    TfrmMain& f = *w.form;
    f.spedInterval->SetValue(30);
    bool visible_inside = false;
    w.fake->during_source = [&] {
      c.close(f);
      visible_inside = f.isVisible();
    };
    w.fake->source = StreamWith("09:55");
    w.fake->LoadEnd();
    EXPECT_TRUE(visible_inside);                // the check still had its window
    EXPECT_EQ(Log(f), QStringList({"09:55"}));  // and ran to its end
    EXPECT_FALSE(std::filesystem::exists(f.GetIniFileName()));
    ASSERT_TRUE(WaitFor([&] { return !f.isVisible(); }));
    EXPECT_EQ(ReadText(f.GetIniFileName()), "[Sylp]\nInterval=30\n");
    w.form.reset();  // destroyed after its check: nothing is left to run on it
    Settle();
  }
}

// A refresh asked for while the page is read would move the page under the check; it runs
// after it, once however often it was asked for.
TEST(OneCheckAtATime, ARefreshAskedForDuringTheCheckRunsAfterIt) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> ask;
    int loads;    // the stream requested afresh
    int reloads;  // the page reloaded
  };
  const Case cases[] = {
      {"Go to the stream, twice",
       [](TfrmMain& f) {
         f.bbtnNavigateRoot->click();
         f.bbtnNavigateRoot->click();
       },
       1, 0},
      {"tray Refresh", [](TfrmMain& f) { f.miRefresh->trigger(); }, 0, 1},
      {"thumbnail Refresh", [](TfrmMain& f) { f.WMCommand((0x1800u << 16) | 0u); }, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnTheStream w;
    TfrmMain& f = *w.form;
    const size_t loads = w.fake->loaded.size();
    const int reloads = w.fake->reloads;
    size_t loads_inside = 0;
    int reloads_inside = 0;
    w.fake->during_source = [&] {
      w.fake->during_source = nullptr;
      c.ask(f);
      loads_inside = w.fake->loaded.size() - loads;
      reloads_inside = w.fake->reloads - reloads;
    };
    w.fake->source = StreamWith("09:55");
    w.fake->LoadEnd();
    EXPECT_EQ(loads_inside, 0u);
    EXPECT_EQ(reloads_inside, 0);
    Settle();
    EXPECT_EQ(w.fake->loaded.size() - loads, static_cast<size_t>(c.loads));
    EXPECT_EQ(w.fake->reloads - reloads, c.reloads);
  }
}

TEST(OneCheckAtATime, TheUpdateQuestionWaitsForTheCheck) {
  Dialogs::ClearAnswers();
  Dialogs::ClearLastDialog();
  OnTheStream w;
  TfrmMain& f = *w.form;
  f.trycnNotify->SetTag(1);
  bool asked_inside = true;
  w.fake->during_source = [&] {
    Dialogs::SetNextAnswer(ModalResult::Ignore);
    emit f.trycnNotify->BalloonClick();
    asked_inside = Dialogs::LastDialog().has_value();
  };
  w.fake->LoadEnd();
  EXPECT_FALSE(asked_inside);
  Settle();
  ASSERT_TRUE(Dialogs::LastDialog().has_value());
  EXPECT_EQ(Dialogs::LastDialog()->text, "Do you want to update?");
  Dialogs::ClearAnswers();
}

// While the real update question is open (a loop of its own), `meanwhile` runs from inside it;
// the box is then answered with Ignore unless `meanwhile` ended it.
void WhileTheQuestionIsOpen(TfrmMain& f, const std::function<void()>& meanwhile) {
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(WaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    QWidget* box = QApplication::activeModalWidget();
    meanwhile();
    if (QApplication::activeModalWidget() == box) box->close();
  });
  f.trycnNotify->SetTag(1);
  emit f.trycnNotify->BalloonClick();
}

TEST(UpdateQuestion, ASecondClickOnTheBalloonAsksNothingMore) {
  Dialogs::ClearAnswers();
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  QSignalSpy updates(&f, &TfrmMain::updateStarted);
  int boxes_inside = 0;
  WhileTheQuestionIsOpen(f, [&] {
    Dialogs::SetNextAnswer(ModalResult::Yes);  // would answer a second question at once
    emit f.trycnNotify->BalloonClick();
    boxes_inside = static_cast<int>(Dialogs::PendingAnswers());
  });
  EXPECT_EQ(boxes_inside, 1);  // no second question took the answer
  EXPECT_EQ(updates.count(), 0);
  EXPECT_TRUE(f.isVisible());
  Dialogs::ClearAnswers();
  // Once the first is answered, the balloon asks again.
  Dialogs::SetNextAnswer(ModalResult::Ignore);
  emit f.trycnNotify->BalloonClick();
  EXPECT_EQ(Dialogs::PendingAnswers(), 0u);
}

TEST(UpdateQuestion, AWindowClosedOrDestroyedWhileItIsOpenEndsCleanly) {
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "closed from the tray");
    Dialogs::ClearAnswers();
    Window w;
    w.Start();
    TfrmMain& f = *w.form;
    f.spedInterval->SetValue(30);
    const std::string ini = f.GetIniFileName();
    QSignalSpy updates(&f, &TfrmMain::updateStarted);
    WhileTheQuestionIsOpen(f, [&] {
      if (destroy)
        w.form.reset();
      else
        f.miQuit->trigger();
    });
    // Destroyed, nothing runs on it any more (the asan preset checks); closed, it saved.
    if (!destroy) {
      EXPECT_EQ(updates.count(), 0);
      EXPECT_TRUE(WaitFor([&] { return !f.isVisible(); }));
      EXPECT_EQ(ReadText(ini), "[Sylp]\nInterval=30\n");
    }
    Settle();
  }
}

TEST(EngineFailure, EndsOnceThroughTheWindowWithCode1) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.spedInterval->SetValue(30);
  std::vector<std::string> told;
  bool shown_while_told = false;
  EngineFailure failure([&](const std::string& why) {
    told.push_back(why);
    shown_while_told = f.isVisible();
  });
  EXPECT_EQ(failure.ExitCode(0), 0);
  failure.SetWindow(&f);
  failure.Raise("The browser engine stopped before it showed a page.");
  failure.Raise("again");
  EXPECT_TRUE(told.empty());  // not from inside the engine's signal
  ASSERT_TRUE(WaitFor([&] { return !f.isVisible(); }));
  EXPECT_EQ(told, std::vector<std::string>{"The browser engine stopped before it showed a page."});
  EXPECT_TRUE(shown_while_told);  // the box first, then the window closes
  EXPECT_EQ(ReadText(f.GetIniFileName()), "[Sylp]\nInterval=30\n");
  EXPECT_EQ(failure.ExitCode(0), 1);
}

// A window with an interval to save, which log-out's signals close as the program's do.
struct AtLogOut : Window {
  AtLogOut() {
    Start();
    form->spedInterval->SetValue(45);
    QPointer<QWidget> window = form.get();
    OnTerminationSignals([window] { CloseModalsThenWindow(window); });
  }
  ~AtLogOut() { OnTerminationSignals(nullptr); }
};

// The settings file's identity: every save writes a new file in its place.
ino_t SavedFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Log-out may reach a window that is closing already; it ends once, saved once.
TEST(Termination, AWindowThatHasClosedIsNotClosedAgain) {
  struct Case {
    const char* what;
    // Closes the window once, then returns with a second close under way or done.
    std::function<void(TfrmMain&, ino_t&)> run;
  };
  const Case cases[] = {
      {"log-out while the engine's error box is open, which closes the window too",
       [](TfrmMain& f, ino_t& first) {
         EngineFailure failure([&](const std::string&) {
           QTimer::singleShot(0, [] {
             ASSERT_TRUE(WaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
             ::raise(SIGTERM);
           });
           QMessageBox box(QMessageBox::Critical, "Sylpwatch", "failed");
           box.exec();
           first = SavedFile(f.GetIniFileName());
         });
         failure.SetWindow(&f);
         failure.Raise("failed");
         ASSERT_TRUE(WaitFor([&] { return failure.ExitCode(0) == 1 && first != 0; }));
       }},
      {"a second termination signal",
       [](TfrmMain& f, ino_t& first) {
         ::raise(SIGTERM);
         ASSERT_TRUE(WaitFor([&] { return !f.isVisible(); }));
         first = SavedFile(f.GetIniFileName());
         ::raise(SIGHUP);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AtLogOut w;
    TfrmMain& f = *w.form;
    ino_t first = 0;
    c.run(f, first);
    Settle();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(ReadText(f.GetIniFileName()), "[Sylp]\nInterval=45\n");
    EXPECT_NE(first, 0u);
    EXPECT_EQ(SavedFile(f.GetIniFileName()), first);  // not saved a second time
  }
}

TEST(Termination, ASignalClosesAnOpenBoxThenTheWindow) {
  // The update question is open for real when log-out sends SIGTERM.
  Dialogs::ClearAnswers();
  AtLogOut w;
  TfrmMain& f = *w.form;
  QSignalSpy updates(&f, &TfrmMain::updateStarted);
  bool box_was_open = false;
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(WaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    box_was_open = true;
    ::raise(SIGTERM);
  });
  f.trycnNotify->SetTag(1);
  emit f.trycnNotify->BalloonClick();  // returns once the box has closed
  EXPECT_TRUE(box_was_open);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(updates.count(), 0);  // closing the box is no consent
  ASSERT_TRUE(WaitFor([&] { return !f.isVisible(); }));
  EXPECT_EQ(ReadText(f.GetIniFileName()), "[Sylp]\nInterval=45\n");
}

}  // namespace
}  // namespace slp
