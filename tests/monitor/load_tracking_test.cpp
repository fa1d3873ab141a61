#include "monitor/load_tracking.h"

#include <gtest/gtest.h>

#include "support/fake_chromium.h"

namespace slp {
namespace {

using testing::FakeChromium;

const Addresses kAddr = Addresses::FromOrigins("https://social.test", "https://accounts.test",
                                               "https://partner.test", "http://maker.test");

class RecordingHost : public LoadEndHost {
 public:
  bool check_enabled = false;
  int arrivals = 0;
  int checks = 0;
  bool IsRefreshCheckEnabled() override { return check_enabled; }
  void ArriveOnStream() override {
    ++arrivals;
    check_enabled = true;
  }
  void CheckPage() override { ++checks; }
};

class LoadTrackingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    control.OnLoadEnd = [this](Chromium*, CefBrowser*, CefFrame*, int, bool&) {
      TrackLoadEnd(control, kAddr, auth, host);
    };
  }
  FakeChromium control;
  RecordingHost host;
  bool auth = false;
};

TEST(AddressesTest, BuiltFromOrigins) {
  EXPECT_EQ(kAddr.StreamUrl, "https://social.test/stream?tab=XX");
  EXPECT_EQ(kAddr.RootUrl, "https://social.test/");
  EXPECT_EQ(kAddr.StreamPageUrl, "https://social.test/stream");
  EXPECT_EQ(kAddr.SettingsUrl, "https://social.test/settings/");
  EXPECT_EQ(kAddr.SignInDoneUrl,
            "https://accounts.test/accounts/CheckCookie?chtml=LoginDoneHtml&dnConn="
            "https%3A%2F%2Fpartner.test&pstMsg=1");
  EXPECT_EQ(kAddr.VersionServiceUrl, "http://maker.test/slp/version?");
  EXPECT_EQ(kAddr.DownloadUrl, "http://maker.test/zazavezod/download?slp.exe");
}

TEST_F(LoadTrackingTest, CompletionThenSettingsGoesToTheStreamAndClearsTheFlag) {
  control.Arrive(kAddr.SignInDoneUrl);
  EXPECT_TRUE(auth);
  EXPECT_TRUE(control.loaded.empty());

  control.Arrive(kAddr.SettingsUrl);
  EXPECT_FALSE(auth);
  ASSERT_EQ(control.loaded.size(), 1u);
  EXPECT_EQ(control.loaded[0], kAddr.StreamUrl);
  // The address is read anew after the navigation: the stream with its query is not
  // the stream page, so nothing is analysed yet.
  EXPECT_EQ(host.checks, 0);
}

TEST_F(LoadTrackingTest, CompletionThenAnyOtherPageOnlyClearsTheFlag) {
  for (const std::string& other :
       {kAddr.RootUrl, kAddr.StreamPageUrl, std::string("https://accounts.test/other"),
        kAddr.SettingsUrl + "x"}) {
    SCOPED_TRACE(other);
    auth = false;
    control.loaded.clear();
    control.Arrive(kAddr.SignInDoneUrl);
    control.Arrive(other);
    EXPECT_FALSE(auth);
    EXPECT_TRUE(control.loaded.empty());
  }
}

TEST_F(LoadTrackingTest, OnlyTheRootAndTheBareStreamAreTheStream) {
  struct Case {
    std::string address;
    bool analysed;
  };
  const Case cases[] = {
      {kAddr.RootUrl, true},
      {kAddr.StreamPageUrl, true},
      {kAddr.StreamUrl, false},  // with "?tab=XX"
      {kAddr.StreamPageUrl + "/", false},
      {"https://SOCIAL.test/stream", false},  // exact, case-sensitive
      {"https://social.test", false},
      {kAddr.SettingsUrl, false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    host = RecordingHost{};
    control.Arrive(c.address);
    EXPECT_EQ(host.checks, c.analysed ? 1 : 0);
    EXPECT_EQ(host.arrivals, c.analysed ? 1 : 0);
  }
}

TEST_F(LoadTrackingTest, FirstArrivalOnlyOnce) {
  control.Arrive(kAddr.StreamPageUrl);
  control.Arrive(kAddr.RootUrl);
  EXPECT_EQ(host.arrivals, 1);
  EXPECT_EQ(host.checks, 2);
}

TEST_F(LoadTrackingTest, EveryLoadEndOfOneNavigationRunsAgainstTheMainFrame) {
  // Three frames of one stream page end one after the other.
  control.url = kAddr.StreamPageUrl;
  control.LoadEnd();
  control.LoadEnd();
  control.LoadEnd();
  EXPECT_EQ(host.arrivals, 1);
  EXPECT_EQ(host.checks, 3);

  // A sub-frame of the completion page ends after the main frame: the flag set by the
  // first load end is cleared by the second, without navigation.
  control.url = kAddr.SignInDoneUrl;
  control.LoadEnd();
  EXPECT_TRUE(auth);
  control.LoadEnd();
  EXPECT_FALSE(auth);
  EXPECT_TRUE(control.loaded.empty());
}

TEST_F(LoadTrackingTest, NothingHappensWithoutABrowserObject) {
  control.has_browser = false;
  auth = true;
  control.Arrive(kAddr.StreamPageUrl);
  EXPECT_TRUE(auth);
  EXPECT_EQ(host.checks, 0);
  EXPECT_EQ(host.arrivals, 0);
}

TEST_F(LoadTrackingTest, TheSignInFlowEndsOnTheStream) {
  // Settings page reached with the flag set, and the engine lands on the stream after
  // the navigation's redirect: the same event that ends the flow is not analysed, the next
  // one is.
  control.Arrive(kAddr.SignInDoneUrl);
  control.Arrive(kAddr.SettingsUrl);
  control.Arrive(kAddr.StreamPageUrl);
  EXPECT_FALSE(auth);
  EXPECT_EQ(host.arrivals, 1);
  EXPECT_EQ(host.checks, 1);
}

}  // namespace
}  // namespace slp
