// The tray icon, its balloon and menu, hiding to and showing from the tray, and the taskbar's
// thumbnail buttons, all driven through the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <ostream>

#include "platform/ui/dialogs.h"
#include "platform/ui/tray_icon.h"
#include "support/wait.h"
#include "window_fixture.h"

namespace slp {

// Readable failures.
static void PrintTo(ModalResult r, std::ostream* os) { *os << static_cast<int>(r); }
static void PrintTo(const ThumbButton& b, std::ostream* os) {
  *os << "{mask " << b.dwMask << ", id " << b.iId << ", image " << b.iBitmap << ", icon " << b.hIcon
      << ", tip \"" << b.szTip << "\", flags " << b.dwFlags << "}";
}

namespace {

using testing::WaitFor;

constexpr Qt::WindowStates kSizeStates = Qt::WindowMinimized | Qt::WindowMaximized;

// Dialog answers and records are process-wide: every test starts with none.
class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::ClearAnswers();
    Dialogs::ClearLastDialog();
  }
  void TearDown() override { Dialogs::ClearAnswers(); }
};

using TrayBalloonTest = TrayTest;
using TrayMenuTest = TrayTest;
using TrayWindowTest = TrayTest;
using TrayTaskbarTest = TrayTest;

// Runs the loop, does `action` inside it and returns the loop's exit code: 0 when the action
// ended the program, 1 when the loop ran on.
int ExitCodeAfter(const std::function<void()>& action) {
  QTimer::singleShot(0, [&] {
    action();
    QTimer::singleShot(0, [] { QApplication::exit(1); });
  });
  return QApplication::exec();
}

TEST_F(TrayBalloonTest, ClickActsOnTheKindOfTheLastBalloonShown) {
  struct Case {
    const char* what;
    int tag_before_change;  // a balloon shown before the change balloon; -1: none
    int tag_after_change;   // a balloon shown after it; -1: none
    ModalResult answer;     // given to the update question, if it is asked
    bool asked;
    bool shown;    // the hidden window comes back
    bool cleared;  // attention is cleared
    int updates;   // updateStarted emitted
  };
  const Case cases[] = {
      {"change balloon after an update balloon", 1, -1, ModalResult::Yes, false, true, true, 0},
      {"update balloon after a change balloon, Update", -1, 1, ModalResult::Yes, true, false, false,
       1},
      {"update balloon, Ignore", -1, 1, ModalResult::Ignore, true, false, false, 0},
      {"update balloon, closed with the close box", -1, 1, ModalResult::Cancel, true, false, false,
       0},
      {"unknown tag", -1, 7, ModalResult::Yes, false, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Dialogs::ClearAnswers();
    Dialogs::ClearLastDialog();
    Window w;
    w.Start();
    TfrmMain& f = *w.form;
    QSignalSpy updates(&f, &TfrmMain::updateStarted);
    if (c.tag_before_change >= 0) f.trycnNotify->SetTag(c.tag_before_change);
    f.NotifyChange("Last post has changed!", "09:55");
    f.trycnNotify->StepAnimation();
    f.hide();
    if (c.tag_after_change >= 0) f.trycnNotify->SetTag(c.tag_after_change);
    // Queued in every case: a question that should not be asked takes it instead of blocking.
    Dialogs::SetNextAnswer(c.answer);

    emit f.trycnNotify->BalloonClick();

    EXPECT_EQ(Dialogs::PendingAnswers(), c.asked ? 0u : 1u);
    EXPECT_EQ(Dialogs::LastDialog().has_value(), c.asked);
    EXPECT_EQ(f.isVisible(), c.shown);
    EXPECT_EQ(f.trycnNotify->Animate(), !c.cleared);
    EXPECT_EQ(f.trycnNotify->IconIndex(), c.cleared ? 0 : 1);
    EXPECT_EQ(updates.count(), c.updates);
    if (!c.asked || !Dialogs::LastDialog()) continue;
    const DialogRecord& d = *Dialogs::LastDialog();
    EXPECT_EQ(d.text, "Do you want to update?");
    EXPECT_EQ(d.title, "Confirm");
    EXPECT_EQ(d.icon, QMessageBox::Question);
    EXPECT_EQ(d.buttons, std::vector<ModalResult>({ModalResult::Yes, ModalResult::Ignore}));
    ASSERT_EQ(d.captions.size(), 2u);
    EXPECT_EQ(d.captions[0], "Update");
    EXPECT_EQ(d.defaultButton, ModalResult::Yes);
    EXPECT_EQ(d.escapeButton, ModalResult::None);
    EXPECT_TRUE(d.stayOnTop);
    EXPECT_TRUE(d.centred);
  }
}

TEST_F(TrayBalloonTest, ChangeBalloonBringsAWindowHiddenToTheTrayBackOnScreen) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.miHide->trigger();  // minimised now, hidden after the delay
  ASSERT_TRUE(WaitFor([&] { return !f.isVisible(); }, 5000));
  f.NotifyChange("Last post has changed!", "09:55");
  emit f.trycnNotify->BalloonClick();
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.windowState() & Qt::WindowMinimized);
}

TEST_F(TrayMenuTest, ShowOrHideIsOfferedAndDefaultByTheWindowsVisibility) {
  Window w;
  TfrmMain& f = *w.form;
  struct Step {
    const char* what;
    std::function<void()> act;
    bool visible;
  };
  const Step steps[] = {
      {"not shown yet", [] {}, false},
      {"started", [&] { w.Start(); }, true},
      {"hidden", [&] { f.hide(); }, false},
      {"shown again", [&] { f.show(); }, true},
      {"minimised but on the taskbar", [&] { f.showMinimized(); }, true},
      {"hidden while minimised", [&] { f.hide(); }, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    ASSERT_EQ(f.isVisible(), step.visible);
    emit f.trycnNotify->MenuPopup();
    EXPECT_EQ(f.miShow->isVisible(), !step.visible);
    EXPECT_EQ(f.miHide->isVisible(), step.visible);
    EXPECT_EQ(f.pmSystray->defaultAction(), step.visible ? f.miHide : f.miShow);
    EXPECT_TRUE(f.miRefresh->isVisible());
    EXPECT_TRUE(f.miQuit->isVisible());
  }
}

TEST_F(TrayMenuTest, HideMinimisesAtOnceAndHidesAfterItsDelay) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.miHide->trigger();
  EXPECT_TRUE(f.windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(WaitFor([&] { return !f.isVisible(); }));
  EXPECT_TRUE(f.windowState() & Qt::WindowMinimized);
}

TEST_F(TrayMenuTest, ShowBringsBackTheStateTheWindowHadBeforeItWasMinimised) {
  struct Case {
    const char* what;
    std::vector<Qt::WindowState> before;  // states the user puts the window in, in order
    Qt::WindowStates expected;
    WindowState last;
  };
  const Case cases[] = {
      {"normal", {}, Qt::WindowNoState, WindowState::Normal},
      {"maximised", {Qt::WindowMaximized}, Qt::WindowMaximized, WindowState::Maximized},
      {"maximised, then restored",
       {Qt::WindowMaximized, Qt::WindowNoState},
       Qt::WindowNoState,
       WindowState::Normal},
      {"restored, then maximised again",
       {Qt::WindowMaximized, Qt::WindowNoState, Qt::WindowMaximized},
       Qt::WindowMaximized,
       WindowState::Maximized},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window w;
    w.Start();
    TfrmMain& f = *w.form;
    for (Qt::WindowState state : c.before) {
      if (state == Qt::WindowMaximized)
        f.showMaximized();
      else
        f.showNormal();
      QApplication::processEvents();
    }
    f.showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(f.LastState(), c.last);

    f.miHide->trigger();
    ASSERT_TRUE(WaitFor([&] { return !f.isVisible(); }));
    f.miShow->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowState() & kSizeStates, c.expected);
    EXPECT_EQ(f.LastState(), c.last);
  }
}

TEST_F(TrayMenuTest, WindowBroughtBackDuringTheHideDelayStays) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> bring_back;
  };
  const Case cases[] = {
      {"Show from the menu", [](TfrmMain& f) { f.miShow->trigger(); }},
      {"restored from the taskbar", [](TfrmMain& f) { f.showNormal(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window w;
    w.Start();
    TfrmMain& f = *w.form;
    f.miHide->trigger();
    c.bring_back(f);
    // Started after the hide's delay and longer: when it fires, the delay has passed.
    bool passed = false;
    QTimer::singleShot(600, [&] { passed = true; });
    ASSERT_TRUE(WaitFor([&] { return passed; }));
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.windowState() & Qt::WindowMinimized);
  }
}

TEST_F(TrayMenuTest, RefreshReloadsThePage) {
  Window w;
  w.Start();
  const auto loaded = w.fake->loaded;
  w.form->miRefresh->trigger();
  EXPECT_EQ(w.fake->reloads, 1);
  EXPECT_EQ(w.fake->loaded, loaded);  // no new navigation
}

TEST_F(TrayMenuTest, ExitEndsTheProgramShownOrHidden) {
  for (bool hidden : {false, true}) {
    SCOPED_TRACE(hidden ? "hidden" : "shown");
    Window w;
    w.Start();
    if (hidden) w.form->hide();
    EXPECT_EQ(ExitCodeAfter([&] { w.form->miQuit->trigger(); }), 0);
    EXPECT_FALSE(w.form->isVisible());
  }
}

TEST_F(TrayWindowTest, DoubleClickHidesAVisibleWindowAndShowsAHiddenOne) {
  struct Case {
    const char* what;
    bool maximised;
  };
  const Case cases[] = {{"normal window", false}, {"maximised window", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window w;
    w.Start();
    TfrmMain& f = *w.form;
    if (c.maximised) f.showMaximized();
    QApplication::processEvents();
    const Qt::WindowStates restored = c.maximised ? Qt::WindowMaximized : Qt::WindowNoState;

    f.NotifyChange("Last post has changed!", "09:55");
    f.trycnNotify->StepAnimation();
    emit f.trycnNotify->DblClick();
    EXPECT_FALSE(f.trycnNotify->Animate());
    EXPECT_EQ(f.trycnNotify->IconIndex(), 0);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.windowState() & Qt::WindowMinimized);

    f.trycnNotify->SetAnimate(true);
    f.trycnNotify->StepAnimation();
    emit f.trycnNotify->DblClick();
    EXPECT_FALSE(f.trycnNotify->Animate());
    EXPECT_EQ(f.trycnNotify->IconIndex(), 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowState() & kSizeStates, restored);
  }
}

TEST_F(TrayWindowTest, IconStaysVisibleWhileTheWindowIsHiddenAndShown) {
  Window w;
  TfrmMain& f = *w.form;
  struct Step {
    const char* what;
    std::function<void()> act;
  };
  const Step steps[] = {
      {"created", [] {}},
      {"started", [&] { w.Start(); }},
      {"hidden from the menu",
       [&] {
         f.miHide->trigger();
         ASSERT_TRUE(WaitFor([&] { return !f.isVisible(); }));
       }},
      {"shown from the menu", [&] { f.miShow->trigger(); }},
      {"hidden by a double click", [&] { emit f.trycnNotify->DblClick(); }},
      {"shown by a double click", [&] { emit f.trycnNotify->DblClick(); }},
      {"shown by a change",
       [&] {
         f.hide();
         f.NotifyChange("Last post has changed!", "09:55");
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    QApplication::processEvents();
    EXPECT_TRUE(f.trycnNotify->Visible());
  }
}

TEST_F(TrayTaskbarTest, ThumbnailButtonsAreGivenOnceAfterTheLoopStarts) {
  Window w({"/updated"}, /*with_taskbar=*/true);
  TfrmMain& f = *w.form;
  ASSERT_NE(w.taskbar, nullptr);
  // Overlay calls (a clear at the first activation) are not the toolbar's.
  auto toolbar = [&] {
    std::vector<testing::FakeTaskbar::Call> calls;
    for (const auto& call : w.taskbar->calls)
      if (call.what != "overlay") calls.push_back(call);
    return calls;
  };
  EXPECT_TRUE(toolbar().empty());

  w.Start();
  const auto window = static_cast<WindowId>(f.winId());
  auto calls = toolbar();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].what, "images");
  EXPECT_EQ(calls[0].window, window);
  EXPECT_EQ(calls[0].handle, &f.imglSystray);
  EXPECT_EQ(calls[1].what, "buttons");
  EXPECT_EQ(calls[1].window, window);
  const std::vector<ThumbButton> buttons = {
      {13, 0, 3, nullptr, "Refresh", 0},
      {13, 1, 2, nullptr, "Exit", 0},
  };
  EXPECT_EQ(calls[1].buttons, buttons);
  // The rest of the deferred start ran.
  // The greeting follows the version check's answer.
  EXPECT_TRUE(WaitFor([&] { return f.trycnNotify->BalloonHint().endsWith("has been updated!"); }));

  // Hiding, showing and more loop turns add nothing.
  emit f.trycnNotify->DblClick();
  emit f.trycnNotify->DblClick();
  QApplication::processEvents();
  EXPECT_EQ(toolbar().size(), 2u);
}

TEST_F(TrayTaskbarTest, WithoutATaskbarEverythingElseRuns) {
  Window w({"/updated"});
  TfrmMain& f = *w.form;
  w.Start();
  EXPECT_EQ(w.fake->loaded, std::vector<std::string>({kAddr.StreamUrl}));
  // The greeting follows the version check's answer.
  EXPECT_TRUE(WaitFor([&] { return f.trycnNotify->BalloonHint().endsWith("has been updated!"); }));

  f.NotifyChange("Last post has changed!", "09:55");
  emit f.trycnNotify->Click();
  EXPECT_FALSE(f.trycnNotify->Animate());
  f.WMCommand(kThbnClicked << 16 | kThumbRefreshId);
  EXPECT_EQ(w.fake->reloads, 1);
  emit f.trycnNotify->DblClick();
  EXPECT_FALSE(f.isVisible());
  emit f.trycnNotify->DblClick();
  EXPECT_TRUE(f.isVisible());
}

TEST_F(TrayTaskbarTest, ThumbnailClicksRefreshOrCloseAndOtherCommandsDoNothing) {
  struct Case {
    const char* what;
    std::uint32_t wParam;
    int reloads;
    bool closes;
  };
  const Case cases[] = {
      {"Refresh button", 0x1800u << 16 | 0, 1, false},
      {"Exit button", 0x1800u << 16 | 1, 0, true},
      {"a third button", 0x1800u << 16 | 2, 0, false},
      {"button 1 plus 256", 0x1800u << 16 | 0x101, 0, false},
      {"menu command 0", 0, 0, false},
      {"menu command 1", 1, 0, false},
      {"other notification, id 0", 0x1801u << 16 | 0, 0, false},
      {"other notification, id 1", 0x0800u << 16 | 1, 0, false},
      {"code and id all ones", 0xFFFFFFFFu, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window w({}, /*with_taskbar=*/true);
    w.Start();
    TfrmMain& f = *w.form;
    const auto loaded = w.fake->loaded;
    f.WMCommand(c.wParam);
    EXPECT_EQ(w.fake->reloads, c.reloads);
    EXPECT_EQ(w.fake->loaded, loaded);
    EXPECT_EQ(f.isVisible(), !c.closes);
  }
}

}  // namespace
}  // namespace slp
