// The notifier's window on the real browser engine against the local demo service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "demo_run.h"
#include "support/wait.h"

namespace slp {
namespace {

using testing::DemoRun;
using testing::WaitFor;

TEST(StartupEndToEnd, SignedInStartLandsOnTheStreamThroughTheRedirect) {
  demo::Options options;
  options.signed_in = true;
  DemoRun run(options);
  run.StartWindow();
  ASSERT_TRUE(WaitFor([&] { return run.form->chkRefresh->isEnabled(); }))
      << "last address: " << run.Address();
  EXPECT_TRUE(run.form->chkRefresh->isChecked());
  EXPECT_TRUE(run.form->tmrRefresh->isActive());
  EXPECT_EQ(run.Address(), run.addresses.StreamPageUrl);
  EXPECT_TRUE(run.Requested("GET /stream?tab=XX"));
  EXPECT_TRUE(run.Requested("GET /stream"));
  EXPECT_FALSE(run.Requested("GET /ServiceLogin?continue=%2Fstream"));
}

TEST(StartupEndToEnd, SignedOutStartGoesThroughTheSignInPagesToTheStream) {
  DemoRun run(demo::Options{});
  run.StartWindow();
  ASSERT_TRUE(WaitFor([&] { return run.form->chkRefresh->isEnabled(); }))
      << "last address: " << run.Address();
  EXPECT_FALSE(run.form->AuthentificationProcess());
  EXPECT_EQ(run.Address(), run.addresses.StreamPageUrl);
  const auto requests = run.service.Requests();
  // The flow in order: sign-in, completion page, settings page, back to the stream.
  const std::vector<std::string> flow = {
      "GET /stream?tab=XX",
      "GET /ServiceLogin?continue=%2Fstream",
      "POST /ServiceLogin",
      "GET /accounts/CheckCookie?chtml=LoginDoneHtml&dnConn=https%3A%2F%2Fpartner.demo.invalid"
      "&pstMsg=1",
      "GET /settings/",
      "GET /stream?tab=XX",
      "GET /stream"};
  auto at = requests.begin();
  for (const std::string& step : flow) {
    at = std::find(at, requests.end(), step);
    ASSERT_NE(at, requests.end()) << "missing in order: " << step;
  }
}

TEST(StartupEndToEnd, PageSourceIsTheWholeDocument) {
  demo::Options options;
  options.signed_in = true;
  DemoRun run(options);
  run.service.SetStreamState({"10:07", 4});
  run.StartWindow();
  ASSERT_TRUE(WaitFor([&] { return run.form->chkRefresh->isEnabled(); }));
  const std::string source = run.form->Browser()->Browser()->get_main_frame()->get_source();
  EXPECT_NE(source.find("Stream</span></div>"), std::string::npos);
  EXPECT_NE(source.find("10:07</a></span> &nbsp;-&nbsp; <"), std::string::npos);
  EXPECT_NE(source.find(">4</span></span></a>"), std::string::npos);
}

TEST(StartupEndToEnd, CookiesSurviveARestartInTheCacheFolder) {
  DemoRun run(demo::Options{});
  run.StartWindow();
  ASSERT_TRUE(WaitFor([&] { return run.form->chkRefresh->isEnabled(); }));
  run.form.reset();
  // The engine writes its cookie store in the background after the browser is gone.
  const QString cookies = run.cache.filePath("Cookies");
  EXPECT_TRUE(WaitFor([&] {
    QFile file(cookies);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("SID");
  })) << "no cookie store at "
      << cookies.toStdString();
  const size_t before = run.service.Requests().size();
  run.StartWindow();  // same cache folder
  ASSERT_TRUE(WaitFor([&] { return run.form->chkRefresh->isEnabled(); }));
  const auto requests = run.service.Requests();
  EXPECT_EQ(std::count(requests.begin() + before, requests.end(), "POST /ServiceLogin"), 0);
}

}  // namespace
}  // namespace slp
