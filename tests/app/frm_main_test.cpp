#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "platform/ui/spin_edit.h"
#include "platform/ui/tray_icon.h"
#include "window_fixture.h"

namespace slp {
namespace {

TEST(MainWindowTest, ComponentsAtTheirDesignPlaces) {
  Window w;
  TfrmMain& f = *w.form;
  EXPECT_EQ(f.size(), QSize(635, 348));
  EXPECT_EQ(f.minimumSize(), QSize(200, 200));
  EXPECT_EQ(f.font().family(), "Tahoma");
  EXPECT_EQ(f.font().pixelSize(), 11);
  struct Case {
    QWidget* widget;
    const char* name;
    QRect design;
  };
  const Case cases[] = {
      {f.pnlBrowser, "pnlBrowser", {8, 8, 505, 318}},
      {f.bbtnNavigateRoot, "bbtnNavigateRoot", {519, 8, 108, 25}},
      {f.lblLastUpdates, "lblLastUpdates", {519, 39, 108, 13}},
      {f.mmoSource, "mmoSource", {519, 55, 108, 209}},
      {f.chkRefresh, "chkRefresh", {519, 270, 108, 17}},
      {f.lblInterval, "lblInterval", {519, 289, 108, 13}},
      {f.spedInterval, "spedInterval", {519, 304, 108, 22}},
      {f.stb1, "stb1", {0, 329, 635, 19}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.widget->objectName(), c.name);
    EXPECT_EQ(c.widget->geometry(), c.design);
    EXPECT_EQ(c.widget->parentWidget(), &f);
  }
}

TEST(MainWindowTest, AnchorsFollowAResize) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.resize(735, 448);  // 100 wider, 100 taller
  QApplication::processEvents();
  EXPECT_EQ(f.pnlBrowser->geometry(), QRect(8, 8, 605, 418));         // all four sides
  EXPECT_EQ(f.bbtnNavigateRoot->geometry(), QRect(619, 8, 108, 25));  // top right
  EXPECT_EQ(f.lblLastUpdates->geometry(), QRect(619, 39, 108, 13));
  EXPECT_EQ(f.mmoSource->geometry(), QRect(619, 55, 108, 309));   // top, right, bottom
  EXPECT_EQ(f.chkRefresh->geometry(), QRect(619, 370, 108, 17));  // bottom right
  EXPECT_EQ(f.lblInterval->geometry(), QRect(619, 389, 108, 13));
  EXPECT_EQ(f.spedInterval->geometry(), QRect(619, 404, 108, 22));
  EXPECT_EQ(f.stb1->geometry(), QRect(0, 429, 735, 19));
}

TEST(MainWindowTest, TextsHintsAndInitialStates) {
  Window w;
  TfrmMain& f = *w.form;
  EXPECT_EQ(f.bbtnNavigateRoot->text(), "Go to G+");
  EXPECT_FALSE(f.bbtnNavigateRoot->icon().isNull());
  EXPECT_EQ(f.lblLastUpdates->text(), "Last updates:");
  EXPECT_EQ(f.lblLastUpdates->buddy(), f.mmoSource);
  EXPECT_FALSE(f.mmoSource->isEnabled());
  EXPECT_TRUE(f.mmoSource->toPlainText().isEmpty());
  EXPECT_EQ(f.chkRefresh->text(), "Check G+:");
  EXPECT_EQ(f.chkRefresh->toolTip(), "Refresh the page using the interval below when checked");
  EXPECT_FALSE(f.chkRefresh->isEnabled());
  EXPECT_FALSE(f.chkRefresh->isChecked());
  EXPECT_EQ(f.lblInterval->text(), "Interval:");
  EXPECT_EQ(f.lblInterval->buddy(), f.spedInterval);
  EXPECT_EQ(f.spedInterval->toolTip(), "(minutes)");
  EXPECT_EQ(f.spedInterval->MinValue(), 1);
  EXPECT_EQ(f.spedInterval->MaxValue(), 120);
  EXPECT_EQ(f.spedInterval->Increment(), 15);
  EXPECT_EQ(f.spedInterval->Value(), 1);

  // The interval was applied once at creation; the timer waits for the stream.
  EXPECT_EQ(f.tmrRefresh->interval(), 60000);
  EXPECT_FALSE(f.tmrRefresh->isActive());
  EXPECT_EQ(f.tmrOverlay->interval(), 1000);
  EXPECT_FALSE(f.tmrOverlay->isActive());
  EXPECT_EQ(f.tmrRemoveUpdater->interval(), 1000);

  EXPECT_TRUE(f.trycnNotify->Visible());
  EXPECT_EQ(f.imglIcons.size(), 2);
  EXPECT_EQ(f.imglSystray.size(), 4);
  EXPECT_EQ(f.imglOverlay.size(), 4);
  EXPECT_FALSE(f.AuthentificationProcess());
  EXPECT_TRUE(f.LastTime().empty());
}

TEST(MainWindowTest, EveryControlHasANameForScreenReaders) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  const std::pair<QWidget*, QString> controls[] = {
      {f.pnlBrowser, "Stream"},    {f.bbtnNavigateRoot, "Go to G+"}, {f.mmoSource, "Last updates:"},
      {f.chkRefresh, "Check G+:"}, {f.spedInterval, "Interval:"},
  };
  for (const auto& [widget, name] : controls) {
    SCOPED_TRACE(widget->objectName().toStdString());
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), name);
  }
}

TEST(MainWindowTest, AnnouncedAsAWindowNamedByItsCaption) {
  // A screen reader's window list shows frames, not fillers.
  Window w;
  w.Start();
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w.form.get());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::Window);
  EXPECT_EQ(a->text(QAccessible::Name), "Sylpwatch v1.2.0.26");
}

TEST(MainWindowTest, TrayMenuItemsInOrder) {
  Window w;
  TfrmMain& f = *w.form;
  const QList<QAction*> actions = f.pmSystray->actions();
  const QList<QAction*> expected = {f.miRefresh, f.miN2, f.miShow, f.miHide, f.miN1, f.miQuit};
  ASSERT_EQ(actions, expected);
  EXPECT_EQ(f.miRefresh->text(), "&Refresh");
  EXPECT_TRUE(f.miN2->isSeparator());
  EXPECT_EQ(f.miShow->text(), "&Show Sylp");
  EXPECT_EQ(f.miHide->text(), "&Hide Sylp");
  EXPECT_TRUE(f.miN1->isSeparator());
  EXPECT_EQ(f.miQuit->text(), "&Exit");
  EXPECT_EQ(f.pmSystray->defaultAction(), f.miHide);
  EXPECT_EQ(f.trycnNotify->PopupMenu(), f.pmSystray);
}

TEST(MainWindowTest, DeferredStartRunsOnceTheLoopRuns) {
  Window w;
  EXPECT_TRUE(w.fake->loaded.empty());  // nothing during creation
  w.Start();
  ASSERT_EQ(w.fake->loaded.size(), 1u);
  EXPECT_EQ(w.fake->loaded[0], kAddr.StreamUrl);
  QApplication::processEvents();
  EXPECT_EQ(w.fake->loaded.size(), 1u);  // once
}

TEST(MainWindowTest, FirstArrivalSwitchesCheckingOnAndReadsThePage) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.fake->Arrive(kAddr.StreamPageUrl);
  EXPECT_TRUE(f.chkRefresh->isEnabled());
  EXPECT_TRUE(f.chkRefresh->isChecked());
  EXPECT_TRUE(f.tmrRefresh->isActive());
  EXPECT_EQ(f.tmrRefresh->interval(), 60000);
  EXPECT_EQ(w.fake->source_reads, 1);
  EXPECT_EQ(w.fake->focus_calls, 1);
}

TEST(MainWindowTest, TheUsersUncheckingIsNotUndone) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.fake->Arrive(kAddr.RootUrl);
  f.chkRefresh->click();
  EXPECT_FALSE(f.chkRefresh->isChecked());
  EXPECT_FALSE(f.tmrRefresh->isActive());
  w.fake->Arrive(kAddr.StreamPageUrl);
  EXPECT_FALSE(f.chkRefresh->isChecked());
  EXPECT_FALSE(f.tmrRefresh->isActive());
  EXPECT_EQ(w.fake->source_reads, 1);  // the unchecked check returns before reading
}

TEST(MainWindowTest, SignInFlowThroughTheWindow) {
  Window w;
  w.Start();
  w.fake->Arrive(kAddr.SignInDoneUrl);
  EXPECT_TRUE(w.form->AuthentificationProcess());
  w.fake->Arrive(kAddr.SettingsUrl);
  EXPECT_FALSE(w.form->AuthentificationProcess());
  EXPECT_EQ(w.fake->loaded.back(), kAddr.StreamUrl);
  EXPECT_FALSE(w.form->chkRefresh->isEnabled());
}

TEST(MainWindowTest, ClosingEndsTheLoopAndDestroyingFreesTheBrowser) {
  Window w;
  w.Start();
  QTimer guard;  // a test never hangs
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(99); });
  guard.start(5000);
  QTimer::singleShot(0, w.form.get(), [&] { w.form->miQuit->trigger(); });
  EXPECT_EQ(QApplication::exec(), 0);
  guard.stop();
  EXPECT_FALSE(w.form->isVisible());

  bool freed = false;
  w.fake->freed = &freed;
  w.form.reset();
  EXPECT_TRUE(freed);
}

}  // namespace
}  // namespace slp
