// The page gives its renderer back while the window is hidden and comes back for every
// refresh and every showing, driven through the window on the scripted browser.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/ui/tray_icon.h"
#include "window_fixture.h"

namespace slp {
namespace {

// Started, on the stream (first values recorded), then hidden to the tray and released.
struct HiddenOnTheStream : Window {
  HiddenOnTheStream() {
    Start();
    Stream(StreamWith("09:41"));
    form->hide();
    Settle();
  }
};

TEST(PageRelease, HiddenOnTheStreamTheRendererIsReleasedAndShowingBringsItBack) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> show;
  };
  const Case cases[] = {
      {"tray double click", [](TfrmMain& f) { emit f.trycnNotify->DblClick(); }},
      {"Show from the tray menu", [](TfrmMain& f) { f.miShow->trigger(); }},
      {"change balloon",
       [](TfrmMain& f) {
         f.trycnNotify->SetTag(0);
         emit f.trycnNotify->BalloonClick();
       }},
      {"a change announced", [](TfrmMain& f) { f.NotifyChange("Last post has changed!", "x"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HiddenOnTheStream w;
    TfrmMain& f = *w.form;
    ASSERT_TRUE(w.fake->discarded);
    EXPECT_EQ(w.fake->discard_calls, 1);

    c.show(f);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(w.fake->discarded);
    EXPECT_EQ(w.fake->restores, 1);
    // The reload of the restore ends like any other load end: checked, and kept while shown.
    w.fake->source = StreamWith("09:55");
    w.fake->LoadEnd();
    Settle();
    EXPECT_EQ(f.LastTime(), "09:55");
    EXPECT_FALSE(w.fake->discarded);
    EXPECT_EQ(w.fake->discard_calls, 1);
  }
}

TEST(PageRelease, EveryRefreshBringsThePageBackBeforeItNavigatesAndReleasesItAfterTheCheck) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> refresh;
    bool navigates;  // to the stream address, else reloads
  };
  const Case cases[] = {
      {"timer", [](TfrmMain& f) { QMetaObject::invokeMethod(f.tmrRefresh, "timeout"); }, true},
      {"Go to G+", [](TfrmMain& f) { f.bbtnNavigateRoot->click(); }, true},
      {"tray Refresh", [](TfrmMain& f) { f.miRefresh->trigger(); }, false},
      {"thumbnail Refresh", [](TfrmMain& f) { f.WMCommand((0x1800u << 16) | 0u); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HiddenOnTheStream w;
    TfrmMain& f = *w.form;
    ASSERT_TRUE(w.fake->discarded);
    const size_t loads = w.fake->loaded.size();

    c.refresh(f);
    EXPECT_EQ(w.fake->restores, 1);
    EXPECT_EQ(w.fake->navigations_while_discarded, 0);
    EXPECT_EQ(w.fake->loaded.size(), loads + (c.navigates ? 1 : 0));
    EXPECT_EQ(w.fake->reloads, c.navigates ? 0 : 1);
    EXPECT_FALSE(f.isVisible());

    // No change: the check runs, the window stays hidden and the page is released again.
    w.fake->source = StreamWith("09:41", "0");
    w.fake->Arrive(kAddr.StreamPageUrl);
    EXPECT_EQ(f.LastNotif(), "0");
    EXPECT_FALSE(w.fake->discarded);  // not inside the load end
    Settle();
    EXPECT_TRUE(w.fake->discarded);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(Log(f).isEmpty());

    // A new post: announced once, the window shows, and the page stays.
    c.refresh(f);
    w.fake->source = StreamWith("09:55", "0");
    w.fake->Arrive(kAddr.StreamPageUrl);
    Settle();
    EXPECT_EQ(Log(f), QStringList({"09:55"}));
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(w.fake->discarded);
    EXPECT_EQ(w.fake->restores, 2);
    EXPECT_EQ(w.fake->navigations_while_discarded, 0);
  }
}

TEST(PageRelease, PagesOtherThanTheStreamAreKept) {
  struct Case {
    const char* what;
    std::function<void(Window&)> arrive;
  };
  const Case cases[] = {
      {"sign-in page", [](Window& w) { w.fake->Arrive("https://accounts.test/ServiceLogin"); }},
      {"sign-in completion page", [](Window& w) { w.fake->Arrive(kAddr.SignInDoneUrl); }},
      {"a page the user browsed to", [](Window& w) { w.fake->Arrive("https://social.test/p/1"); }},
      {"the stream while the sign-in flow waits for its next load end",
       [](Window& w) {
         w.fake->Arrive(kAddr.SignInDoneUrl);
         w.fake->url = kAddr.StreamPageUrl;  // a sub-frame of the completion page ends later
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window w;
    w.Start();
    c.arrive(w);
    w.form->hide();
    Settle();
    EXPECT_FALSE(w.fake->discarded);
    EXPECT_EQ(w.fake->discard_calls, 0);
  }
}

TEST(PageRelease, KeptWhileShownMinimisedOrLoading) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.Stream(StreamWith("09:41"));
  Settle();
  f.showMinimized();  // on the taskbar: still visible
  w.fake->LoadEnd();
  Settle();
  EXPECT_EQ(w.fake->discard_calls, 0);

  w.fake->loading = true;  // a navigation the user started
  f.hide();
  Settle();
  EXPECT_EQ(w.fake->discard_calls, 0);
  // Its end releases the page.
  w.fake->loading = false;
  w.fake->LoadEnd();
  Settle();
  EXPECT_TRUE(w.fake->discarded);
}

TEST(PageRelease, AWindowHiddenDuringACheckIsReleasedAfterIt) {
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  w.Stream(StreamWith("09:41"));
  bool released_inside = true;
  w.fake->during_source = [&] {
    f.hide();
    QApplication::processEvents();  // what the engine's nested wait delivers
    released_inside = w.fake->discarded;
  };
  w.fake->source = StreamWith("09:41", "0");
  w.fake->LoadEnd();
  EXPECT_FALSE(released_inside);
  EXPECT_EQ(f.LastNotif(), "0");  // the check read the page it started on
  Settle();
  EXPECT_TRUE(w.fake->discarded);
}

}  // namespace
}  // namespace slp
