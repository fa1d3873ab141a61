// Change detection through the window: what is announced, how, and how attention clears.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <regex>

#include "platform/ui/spin_edit.h"
#include "platform/ui/tray_icon.h"
#include "support/wait.h"
#include "window_fixture.h"

namespace slp {
namespace {

std::string Page(const std::string& marker, const std::string& time, const std::string& counter) {
  std::string page = "<html><body><div class=\"bar\"><a href=\"/n\"><span><span>" + counter +
                     "</span></span></a></div><div><span>" + marker + "</span></div>";
  if (!time.empty())
    page += "<div><span><a href=\"/p\">" + time + "</a></span> &nbsp;-&nbsp; <span>Public</span>";
  return page + "</body></html>";
}

// One tick of a timer, without waiting for it.
void Tick(QTimer* timer) { QMetaObject::invokeMethod(timer, "timeout"); }

TEST(ChangeDetectionThroughTheWindow, ScenarioAnnouncesOneChangeAtATime) {
  struct Step {
    const char* what;
    std::string page;
    const char* balloon;  // nullptr: nothing announced
    const char* line;     // the new log line; "+" means "+" and a time with seconds
    const char* time_after;
    const char* notif_after;
  };
  const Step steps[] = {
      {"first check records silently", Page("Stream", "09:41", "3"), nullptr, nullptr, "09:41",
       "3"},
      {"same page again", Page("Stream", "09:41", "3"), nullptr, nullptr, "09:41", "3"},
      {"new post; the counter is not looked at", Page("Stream", "09:55", "7"),
       "Last post has changed!", "09:55", "09:55", "3"},
      {"the counter change of the last check now", Page("Stream", "09:55", "7"),
       "Notification has changed!", "+", "09:55", "7"},
      {"counter 5", Page("Stream", "09:55", "5"), "Notification has changed!", "+", "09:55", "5"},
      {"counter falls to 0 silently", Page("Stream", "09:55", "0"), nullptr, nullptr, "09:55", "0"},
      {"then 1 is announced", Page("Stream", "09:55", "1"), "Notification has changed!", "+",
       "09:55", "1"},
      {"French page, other letter case", Page("FLUX", "10:02", "1"), "Last post has changed!",
       "10:02", "10:02", "1"},
      {"marker in mixed case", Page("sTrEaM", "10:03", "1"), "Last post has changed!", "10:03",
       "10:03", "1"},
      {"a time going back is a change", Page("Stream", "09:00", "1"), "Last post has changed!",
       "09:00", "09:00", "1"},
      {"no marker changes nothing", Page("Sign in", "11:11", "9"), nullptr, nullptr, "09:00", "1"},
      {"no post on the page", Page("Stream", "", "1"), nullptr, nullptr, "09:00", "1"},
  };
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  int lines = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    f.trycnNotify->SetBalloonHint(QString());
    w.Stream(step.page);
    if (step.balloon) {
      ++lines;
      EXPECT_EQ(f.trycnNotify->BalloonHint(), step.balloon);
      EXPECT_EQ(f.trycnNotify->Tag(), 0);
      ASSERT_EQ(Log(f).size(), lines);
      const std::string last = Log(f).last().toStdString();
      if (std::string(step.line) == "+")
        EXPECT_TRUE(std::regex_match(last, std::regex(R"(\+\d{1,2}:\d\d:\d\d( [AP]M)?)"))) << last;
      else
        EXPECT_EQ(last, step.line);
    } else {
      EXPECT_TRUE(f.trycnNotify->BalloonHint().isEmpty());
      EXPECT_EQ(Log(f).size(), lines);
    }
    EXPECT_EQ(f.LastTime(), step.time_after);
    EXPECT_EQ(f.LastNotif(), step.notif_after);
    EXPECT_TRUE(f.tmrRefresh->isActive());  // running again after every check
  }
}

TEST(ChangeDetectionThroughTheWindow, CheckLeavesAFullIntervalUntilTheNextRefresh) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.Stream(Page("Stream", "09:41", "3"));
  ASSERT_TRUE(f.tmrRefresh->isActive());
  // A short interval, so that a good part of it can run out before the check.
  f.tmrRefresh->start(4000);
  const int interval = f.tmrRefresh->interval();
  ASSERT_TRUE(testing::WaitFor([&] { return f.tmrRefresh->remainingTime() < interval / 2; }));
  const int remaining_before = f.tmrRefresh->remainingTime();
  w.Stream(Page("Stream", "09:55", "3"));  // a change, announced before the restart
  EXPECT_EQ(f.LastTime(), "09:55");
  ASSERT_TRUE(f.tmrRefresh->isActive());
  EXPECT_EQ(f.tmrRefresh->interval(), interval);
  // The check started the interval again: more remains than before it, more than half.
  EXPECT_GT(f.tmrRefresh->remainingTime(), remaining_before);
  EXPECT_GT(f.tmrRefresh->remainingTime(), interval / 2);
}

TEST(ChangeDetectionThroughTheWindow, UncheckedBoxReturnsAtOnceAndLeavesTheTimer) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.Stream(Page("Stream", "09:41", "3"));
  f.chkRefresh->setChecked(false);
  f.tmrRefresh->start();  // whatever the timer does, the check leaves it alone
  const int reads = w.fake->source_reads;
  w.Stream(Page("Stream", "09:55", "3"));
  EXPECT_EQ(w.fake->source_reads, reads);
  EXPECT_TRUE(f.tmrRefresh->isActive());
  EXPECT_EQ(f.LastTime(), "09:41");
}

TEST(AttentionTest, ChangeAlertsAndActivationClearsWithoutATaskbar) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.NotifyChange("Last post has changed!", "09:55");
  EXPECT_TRUE(f.trycnNotify->Animate());
  EXPECT_EQ(f.trycnNotify->AnimationTimer().interval(), 1000);
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "Last post has changed!");
  // Without a taskbar the overlay step stops its own timer at once.
  EXPECT_FALSE(f.tmrOverlay->isActive());

  f.trycnNotify->StepAnimation();
  EXPECT_EQ(f.trycnNotify->IconIndex(), 1);
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
  EXPECT_FALSE(f.trycnNotify->Animate());
  EXPECT_EQ(f.trycnNotify->IconIndex(), 0);
}

TEST(AttentionTest, SecondChangeWhileAlertingAppendsAndKeepsAnimating) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.NotifyChange("Last post has changed!", "09:55");
  f.trycnNotify->StepAnimation();
  f.NotifyChange("Notification has changed!", "+10:00:00");
  EXPECT_EQ(Log(f), QStringList({"09:55", "+10:00:00"}));
  EXPECT_TRUE(f.trycnNotify->Animate());
  EXPECT_EQ(f.trycnNotify->IconIndex(), 1);  // the animation goes on where it was
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "Notification has changed!");
  emit f.trycnNotify->Click();
  EXPECT_FALSE(f.trycnNotify->Animate());
  EXPECT_EQ(f.trycnNotify->IconIndex(), 0);
}

TEST(AttentionTest, ChangeWhileHiddenShowsTheWindow) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.hide();
  w.Stream(Page("Stream", "09:41", "3"));
  EXPECT_FALSE(f.isVisible());  // the first check only records
  w.Stream(Page("Stream", "09:42", "3"));
  EXPECT_TRUE(f.isVisible());
}

TEST(AttentionTest, OverlayFramesCycleAndResumeAfterAClear) {
  Window w({}, /*with_taskbar=*/true);
  w.Start();
  TfrmMain& f = *w.form;
  ASSERT_NE(w.taskbar, nullptr);
  w.taskbar->calls.clear();  // the thumbnail buttons, and any clear from the first activation
  auto frames = [&] {
    std::vector<int> shown;
    for (const auto& call : w.taskbar->calls) {
      if (call.what != "overlay") continue;
      int index = -1;
      for (int i = 0; i < f.imglOverlay.size(); ++i)
        if (call.handle == &f.imglOverlay[i]) index = i;
      shown.push_back(index);
      EXPECT_EQ(call.text, index < 0 ? "" : "Tarnel");
    }
    return shown;
  };
  f.NotifyChange("Last post has changed!", "09:55");  // one step at once
  EXPECT_TRUE(f.tmrOverlay->isActive());
  EXPECT_EQ(f.tmrOverlay->interval(), 1000);
  for (int tick = 0; tick < 4; ++tick) Tick(f.tmrOverlay);
  EXPECT_EQ(frames(), std::vector<int>({0, 1, 2, 3, 0}));

  f.ClearAttention();  // removes the overlay: no icon, no description
  EXPECT_FALSE(f.tmrOverlay->isActive());
  EXPECT_EQ(frames().back(), -1);
  EXPECT_EQ(w.taskbar->calls.back().handle, nullptr);

  w.taskbar->calls.clear();
  f.NotifyChange("Notification has changed!", "+10:00:00");
  Tick(f.tmrOverlay);
  EXPECT_EQ(frames(), std::vector<int>({1, 2}));  // from the frame after the last one shown
}

TEST(RefreshSchedulingTest, IntervalFollowsTheFieldAndTheBox) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  // Unchecked: a new interval is stored, the timer stays stopped.
  f.spedInterval->SetValue(30);
  EXPECT_EQ(f.tmrRefresh->interval(), 30 * 60000);
  EXPECT_FALSE(f.tmrRefresh->isActive());

  w.Stream(Page("Stream", "09:41", "3"));  // first arrival checks the box
  EXPECT_TRUE(f.tmrRefresh->isActive());
  EXPECT_EQ(f.tmrRefresh->interval(), 30 * 60000);
  f.chkRefresh->click();
  EXPECT_FALSE(f.tmrRefresh->isActive());
  f.chkRefresh->click();
  EXPECT_TRUE(f.tmrRefresh->isActive());
}

TEST(RefreshSchedulingTest, TypedValuesApplyAtOnceAndAreLimitedOnLeaving) {
  struct Case {
    QString typed;
    int minutes_while_typing;
    QString shown_after;
    int minutes_after;
  };
  const Case cases[] = {
      {"500", 500, "120", 120}, {"45", 45, "45", 45}, {"0", 1, "1", 1},
      {"-7", 1, "1", 1},        {"", 1, "1", 1},      {"99999999999", 35791, "120", 120},
  };
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    QTest::keyClick(f.spedInterval, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f.spedInterval, Qt::Key_Delete);
    QTest::keyClicks(f.spedInterval, c.typed);
    EXPECT_EQ(f.tmrRefresh->interval(), c.minutes_while_typing * 60000);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(f.spedInterval, &out);
    EXPECT_EQ(f.spedInterval->text(), c.shown_after);
    EXPECT_EQ(f.tmrRefresh->interval(), c.minutes_after * 60000);
  }
}

TEST(RefreshSchedulingTest, ArrowsStepByFifteenWithinTheRange) {
  Window w;
  TfrmMain& f = *w.form;
  f.spedInterval->stepBy(1);
  EXPECT_EQ(f.spedInterval->Value(), 16);
  f.spedInterval->stepBy(10);
  EXPECT_EQ(f.spedInterval->Value(), 120);
  f.spedInterval->stepBy(-20);
  EXPECT_EQ(f.spedInterval->Value(), 1);
  EXPECT_EQ(f.tmrRefresh->interval(), 60000);
}

TEST(RefreshSchedulingTest, GoToStampsTheStatusBarAndNavigatesEvenWhenCheckingIsOff) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.Stream(Page("Stream", "09:41", "3"));
  f.chkRefresh->click();  // off
  w.fake->loaded.clear();
  f.bbtnNavigateRoot->click();
  EXPECT_TRUE(std::regex_match(f.stb1Text->text().toStdString(),
                               std::regex(R"(Latest refresh: \d{1,2}:\d\d:\d\d( [AP]M)?)")))
      << f.stb1Text->text().toStdString();
  EXPECT_EQ(w.fake->loaded, std::vector<std::string>({kAddr.StreamUrl}));
  EXPECT_FALSE(f.tmrRefresh->isActive());
}

TEST(RefreshSchedulingTest, TimerTickRefreshesAndReloadOnlyReloads) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.fake->loaded.clear();
  Tick(f.tmrRefresh);
  EXPECT_EQ(w.fake->loaded, std::vector<std::string>({kAddr.StreamUrl}));
  EXPECT_FALSE(f.stb1Text->text().isEmpty());

  f.stb1Text->clear();
  f.miRefresh->trigger();  // ReloadPage: no navigation, no status text
  EXPECT_EQ(w.fake->reloads, 1);
  EXPECT_EQ(w.fake->loaded.size(), 1u);
  EXPECT_TRUE(f.stb1Text->text().isEmpty());
}

}  // namespace
}  // namespace slp
