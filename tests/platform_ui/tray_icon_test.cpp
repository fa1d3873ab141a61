#include "platform/ui/tray_icon.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenu>
#include <QPixmap>

namespace slp {
namespace {

QIcon Solid(Qt::GlobalColor color) {
  QPixmap pm(16, 16);
  pm.fill(color);
  return QIcon(pm);
}

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    frames_ = {Solid(Qt::red), Solid(Qt::yellow), Solid(Qt::blue)};
    tray_.SetIcons(frames_.mid(0, 2));
  }

  // Index of the frame the system icon shows, -1 for none of them.
  int Shown() {
    const qint64 key = tray_.SystemTrayIcon().icon().cacheKey();
    for (int i = 0; i < frames_.size(); ++i) {
      if (frames_[i].cacheKey() == key) return i;
    }
    return -1;
  }

  QList<QIcon> frames_;
  TTrayIcon tray_;
};

TEST_F(TrayIconTest, StartsWithTheComponentDefaults) {
  TTrayIcon fresh;
  EXPECT_EQ(fresh.AnimateInterval(), 1000);
  EXPECT_EQ(fresh.BalloonTimeout(), 30000);
  EXPECT_EQ(fresh.BalloonFlags(), QSystemTrayIcon::Information);
  EXPECT_EQ(fresh.IconIndex(), 0);
  EXPECT_EQ(fresh.Tag(), 0);
  EXPECT_FALSE(fresh.Animate());
  EXPECT_FALSE(fresh.AnimationTimer().isActive());
  EXPECT_EQ(Shown(), 0);  // the frames given in the fixture show frame 0 at once
}

TEST_F(TrayIconTest, AnimationRunsOnARepeatingOneSecondTimer) {
  tray_.SetAnimate(true);
  EXPECT_TRUE(tray_.Animate());
  EXPECT_TRUE(tray_.AnimationTimer().isActive());
  EXPECT_FALSE(tray_.AnimationTimer().isSingleShot());
  EXPECT_EQ(tray_.AnimationTimer().interval(), 1000);
  EXPECT_EQ(tray_.IconIndex(), 0);  // the first step waits one interval

  tray_.SetAnimate(true);  // a second start while running keeps it running
  EXPECT_TRUE(tray_.AnimationTimer().isActive());

  tray_.SetAnimate(false);
  EXPECT_FALSE(tray_.Animate());
  EXPECT_FALSE(tray_.AnimationTimer().isActive());
}

TEST_F(TrayIconTest, StepsAlternateTwoFramesAndStoppingKeepsTheFrame) {
  tray_.SetAnimate(true);
  std::vector<int> indexes, shown;
  for (int i = 0; i < 3; ++i) {
    tray_.StepAnimation();
    indexes.push_back(tray_.IconIndex());
    shown.push_back(Shown());
  }
  EXPECT_EQ(indexes, (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(shown, (std::vector<int>{1, 0, 1}));

  tray_.SetAnimate(false);
  EXPECT_EQ(tray_.IconIndex(), 1);
  EXPECT_EQ(Shown(), 1);

  tray_.SetIconIndex(0);  // what clearing the attention does next
  EXPECT_EQ(Shown(), 0);
}

TEST_F(TrayIconTest, StepsWrapAfterTheLastOfMoreFrames) {
  tray_.SetIcons(frames_);
  std::vector<int> shown;
  for (int i = 0; i < 4; ++i) {
    tray_.StepAnimation();
    shown.push_back(Shown());
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1}));
}

TEST_F(TrayIconTest, ATimerTickSteps) {
  tray_.SetAnimateInterval(0);
  tray_.SetAnimate(true);
  for (int i = 0; i < 1000 && tray_.IconIndex() == 0; ++i) QCoreApplication::processEvents();
  tray_.SetAnimate(false);
  EXPECT_NE(tray_.IconIndex(), 0);
}

TEST_F(TrayIconTest, IndexOutsideTheFramesKeepsThePicture) {
  tray_.SetIconIndex(1);
  tray_.SetIconIndex(5);
  EXPECT_EQ(tray_.IconIndex(), 5);
  EXPECT_EQ(Shown(), 1);
  tray_.StepAnimation();
  EXPECT_EQ(tray_.IconIndex(), 0);
  EXPECT_EQ(Shown(), 0);
  tray_.SetIconIndex(-3);
  tray_.StepAnimation();
  EXPECT_EQ(tray_.IconIndex(), 0);
}

TEST_F(TrayIconTest, NewFramesShowTheCurrentIndex) {
  tray_.SetIconIndex(1);
  tray_.SetIcons({frames_[2], frames_[0]});
  EXPECT_EQ(Shown(), 0);
}

TEST_F(TrayIconTest, StepWithoutFramesDoesNothing) {
  TTrayIcon empty;
  empty.SetAnimate(true);
  empty.StepAnimation();
  EXPECT_EQ(empty.IconIndex(), 0);
  EXPECT_TRUE(empty.SystemTrayIcon().icon().isNull());
}

TEST_F(TrayIconTest, BalloonSettingsAndTagOutliveAShowing) {
  tray_.SetHint("Sylpwatch");
  tray_.SetBalloonTitle("Sylpwatch");
  tray_.SetBalloonHint("New post at 14:02");
  tray_.SetTag(1);
  tray_.SetVisible(true);
  tray_.ShowBalloonHint();  // no tray host here: nothing appears, nothing breaks
  tray_.StepAnimation();
  EXPECT_EQ(tray_.SystemTrayIcon().toolTip(), "Sylpwatch");
  EXPECT_EQ(tray_.BalloonTitle(), "Sylpwatch");
  EXPECT_EQ(tray_.BalloonHint(), "New post at 14:02");
  EXPECT_EQ(tray_.Tag(), 1);
  EXPECT_TRUE(tray_.Visible());
}

struct Counts {
  int click = 0, dblClick = 0, balloon = 0, popup = 0;
  bool operator==(const Counts&) const = default;
};

TEST_F(TrayIconTest, SystemEventsBecomeComponentEvents) {
  Counts counts;
  QObject::connect(&tray_, &TTrayIcon::Click, [&] { ++counts.click; });
  QObject::connect(&tray_, &TTrayIcon::DblClick, [&] { ++counts.dblClick; });
  QObject::connect(&tray_, &TTrayIcon::BalloonClick, [&] { ++counts.balloon; });
  QObject::connect(&tray_, &TTrayIcon::MenuPopup, [&] { ++counts.popup; });

  const struct {
    QSystemTrayIcon::ActivationReason reason;
    Counts expected;
  } cases[] = {
      {QSystemTrayIcon::Trigger, {1, 0, 0, 0}}, {QSystemTrayIcon::DoubleClick, {0, 1, 0, 0}},
      {QSystemTrayIcon::Context, {}},           {QSystemTrayIcon::MiddleClick, {}},
      {QSystemTrayIcon::Unknown, {}},
  };
  for (const auto& c : cases) {
    counts = {};
    emit tray_.SystemTrayIcon().activated(c.reason);
    EXPECT_EQ(counts, c.expected) << "reason " << c.reason;
  }

  counts = {};
  emit tray_.SystemTrayIcon().messageClicked();
  EXPECT_EQ(counts, (Counts{0, 0, 1, 0}));
}

TEST_F(TrayIconTest, MenuPopupFollowsTheCurrentMenu) {
  int popups = 0;
  QObject::connect(&tray_, &TTrayIcon::MenuPopup, [&] { ++popups; });
  QMenu first, second;
  tray_.SetPopupMenu(&first);
  EXPECT_EQ(tray_.SystemTrayIcon().contextMenu(), &first);
  emit first.aboutToShow();
  EXPECT_EQ(popups, 1);

  tray_.SetPopupMenu(&second);
  emit first.aboutToShow();
  emit second.aboutToShow();
  EXPECT_EQ(popups, 2);

  tray_.SetPopupMenu(nullptr);
  emit second.aboutToShow();
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(tray_.PopupMenu(), nullptr);
}

TEST_F(TrayIconTest, AMenuDestroyedFirstIsForgotten) {
  auto* menu = new QMenu;
  tray_.SetPopupMenu(menu);
  delete menu;
  EXPECT_EQ(tray_.PopupMenu(), nullptr);
  tray_.SetPopupMenu(nullptr);
}

}  // namespace
}  // namespace slp
