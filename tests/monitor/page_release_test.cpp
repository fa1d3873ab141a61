#include "monitor/page_release.h"

#include <gtest/gtest.h>

#include "support/fake_chromium.h"

namespace slp {
namespace {

using testing::FakeChromium;

const Addresses kAddr = Addresses::FromOrigins("https://social.test", "https://accounts.test",
                                               "https://partner.test", "http://maker.test");

// Hidden, idle, on the stream page: released.
PageFacts Unseen() {
  PageFacts facts;
  facts.window_visible = false;
  facts.address = kAddr.StreamPageUrl;
  return facts;
}

TEST(PageReleaseRule, OnlyAnUnseenIdleStreamIsReleased) {
  struct Case {
    const char* what;
    void (*change)(PageFacts&);
    bool released;
  };
  const Case cases[] = {
      {"hidden on the stream page", [](PageFacts&) {}, true},
      {"hidden on the root", [](PageFacts& f) { f.address = kAddr.RootUrl; }, true},
      {"shown (also minimised on the taskbar)", [](PageFacts& f) { f.window_visible = true; },
       false},
      {"a check reads the page", [](PageFacts& f) { f.check_under_way = true; }, false},
      {"a navigation is under way", [](PageFacts& f) { f.loading = true; }, false},
      {"the sign-in flow waits for its next load end", [](PageFacts& f) { f.signing_in = true; },
       false},
      {"already released", [](PageFacts& f) { f.discarded = true; }, false},
      {"the stream with its query, before the redirect",
       [](PageFacts& f) { f.address = kAddr.StreamUrl; }, false},
      {"the sign-in completion page", [](PageFacts& f) { f.address = kAddr.SignInDoneUrl; }, false},
      {"the settings page", [](PageFacts& f) { f.address = kAddr.SettingsUrl; }, false},
      {"a page the user browsed to",
       [](PageFacts& f) { f.address = "https://social.test/posts/1"; }, false},
      {"the stream in other letter case",
       [](PageFacts& f) { f.address = "https://SOCIAL.test/stream"; }, false},
      {"nothing loaded yet", [](PageFacts& f) { f.address.clear(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PageFacts facts = Unseen();
    c.change(facts);
    EXPECT_EQ(MayReleasePage(facts, kAddr), c.released);
  }
}

TEST(PageRelease, ReadsTheBrowsersSideAndReleasesOnce) {
  FakeChromium control;
  control.url = kAddr.StreamPageUrl;
  control.loading = true;
  EXPECT_FALSE(ReleaseUnseenPage(control, kAddr, false, false, false));
  EXPECT_EQ(control.discard_calls, 0);

  control.loading = false;
  EXPECT_TRUE(ReleaseUnseenPage(control, kAddr, false, false, false));
  EXPECT_TRUE(control.discarded);
  // A second evaluation finds it released and leaves it.
  EXPECT_FALSE(ReleaseUnseenPage(control, kAddr, false, false, false));
  EXPECT_EQ(control.discard_calls, 1);
}

TEST(PageRelease, TheWindowsSideIsPassedThrough) {
  struct Case {
    const char* what;
    bool visible, checking, signing_in;
  };
  const Case cases[] = {
      {"visible", true, false, false},
      {"checking", false, true, false},
      {"signing in", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeChromium control;
    control.url = kAddr.StreamPageUrl;
    EXPECT_FALSE(ReleaseUnseenPage(control, kAddr, c.visible, c.checking, c.signing_in));
    EXPECT_EQ(control.discard_calls, 0);
  }
}

TEST(PageRelease, NothingWithoutABrowserObject) {
  FakeChromium control;
  control.has_browser = false;
  control.url = kAddr.StreamPageUrl;
  EXPECT_FALSE(ReleaseUnseenPage(control, kAddr, false, false, false));
  BringPageBack(control);
  EXPECT_EQ(control.discard_calls, 0);
  EXPECT_EQ(control.restores, 0);
}

TEST(PageRelease, OnlyAReleasedPageIsBroughtBack) {
  FakeChromium control;
  BringPageBack(control);
  EXPECT_EQ(control.restores, 0);
  control.discarded = true;
  BringPageBack(control);
  EXPECT_EQ(control.restores, 1);
  EXPECT_FALSE(control.discarded);
}

}  // namespace
}  // namespace slp
