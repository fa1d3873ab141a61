// Hidden to the tray, the stream page gives its renderer process back; refreshes and
// showing the window bring it back. Real engine, real demo service.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWebEnginePage>
#include <algorithm>
#include <functional>
#include <vector>

#include "demo_run.h"
#include "platform/os/process_tree.h"
#include "platform/ui/tray_icon.h"
#include "support/wait.h"

namespace slp {
namespace {

using testing::DemoRun;
using testing::WaitFor;

QStringList Log(TfrmMain& f) {
  const QString text = f.mmoSource->toPlainText();
  return text.isEmpty() ? QStringList() : text.split('\n');
}

// The page's renderer process, 0 while there is none.
int Renderer(DemoRun& run) {
  auto* control = static_cast<TChromium*>(run.form->Browser());
  return static_cast<int>(control->View()->page()->renderProcessPid());
}

bool AnyRenderer() { return !EngineRenderers(getpid()).empty(); }

bool IsRenderer(int pid) {
  const std::vector<int> renderers = EngineRenderers(getpid());
  return std::find(renderers.begin(), renderers.end(), pid) != renderers.end();
}

// On the stream, its first values recorded, nothing loading.
void ReachStream(DemoRun& run) {
  run.StartWindow();
  ASSERT_TRUE(WaitFor([&] { return run.form->chkRefresh->isEnabled(); }))
      << "last address: " << run.Address();
  ASSERT_TRUE(WaitFor([&] { return !run.Browser()->is_loading() && Renderer(run) > 0; }));
  ASSERT_TRUE(IsRenderer(Renderer(run)));
}

// Released, and the renderer process ended.
bool Released(DemoRun& run) {
  return WaitFor([&] { return run.Browser()->is_discarded() && !AnyRenderer(); });
}

// Runs what the loop has queued so far, and then some.
void Settle() {
  bool reached = false;
  QTimer::singleShot(0, [&] { reached = true; });
  WaitFor([&] { return reached; });
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

demo::Options SignedIn() {
  demo::Options options;
  options.signed_in = true;
  options.change_seconds = 3600;
  return options;
}

TEST(PageReleaseEndToEnd, HiddenTheRendererEndsAndShowingBringsTheCurrentStreamBack) {
  DemoRun run(SignedIn());
  run.service.SetStreamState({"10:07", 4});
  ReachStream(run);
  TfrmMain& f = *run.form;
  EXPECT_EQ(f.LastTime(), "10:07");

  emit f.trycnNotify->DblClick();  // hides to the tray
  ASSERT_FALSE(f.isVisible());
  ASSERT_TRUE(Released(run));
  EXPECT_EQ(Renderer(run), 0);
  EXPECT_EQ(run.Address(), run.addresses.StreamPageUrl);  // the page keeps its address

  // A new post meanwhile: the page that comes back is the current stream, not the engine's
  // cached copy, and its load end is checked like any other.
  run.service.SetStreamState({"10:14", 4});
  emit f.trycnNotify->DblClick();  // shows
  ASSERT_TRUE(f.isVisible());
  EXPECT_FALSE(run.Browser()->is_discarded());
  ASSERT_TRUE(WaitFor([&] { return !Log(f).isEmpty(); }));
  EXPECT_EQ(Log(f), QStringList({"10:14"}));
  ASSERT_TRUE(WaitFor([&] { return Renderer(run) > 0; }));
  EXPECT_TRUE(IsRenderer(Renderer(run)));
  Settle();
  EXPECT_FALSE(run.Browser()->is_discarded());  // kept while shown
}

TEST(PageReleaseEndToEnd, ARefreshWhileHiddenChecksTheStreamAndReleasesItAgain) {
  struct Case {
    const char* what;
    std::function<void(TfrmMain&)> refresh;
    long stream_requests;  // each refresh asks the service for the stream this often, no more
  };
  const Case cases[] = {
      // The stream's address with its query, then the page it redirects to.
      {"timer", [](TfrmMain& f) { QMetaObject::invokeMethod(f.tmrRefresh, "timeout"); }, 2},
      {"tray Refresh", [](TfrmMain& f) { f.miRefresh->trigger(); }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DemoRun run(SignedIn());
    run.service.SetStreamState({"10:07", 4});
    ReachStream(run);
    TfrmMain& f = *run.form;
    f.hide();
    ASSERT_TRUE(Released(run));

    // Nothing to announce (a counter falling to 0 is recorded silently): checked while
    // hidden, then released again.
    run.service.SetStreamState({"10:07", 0});
    const size_t before = run.service.Requests().size();
    c.refresh(f);
    ASSERT_TRUE(WaitFor([&] { return f.LastNotif() == "0"; }));
    ASSERT_TRUE(Released(run));
    const auto requests = run.service.Requests();
    EXPECT_EQ(std::count_if(requests.begin() + static_cast<long>(before), requests.end(),
                            [](const std::string& r) { return r.starts_with("GET /stream"); }),
              c.stream_requests);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(Log(f).isEmpty());

    // A new post: announced, which shows the window.
    run.service.SetStreamState({"10:14", 0});
    c.refresh(f);
    ASSERT_TRUE(WaitFor([&] { return !Log(f).isEmpty(); }));
    EXPECT_TRUE(f.isVisible());
    // Hidden again, the page is released once every load end of that refresh is done; by
    // then the change was announced exactly once.
    emit f.trycnNotify->DblClick();
    ASSERT_FALSE(f.isVisible());
    ASSERT_TRUE(Released(run));
    EXPECT_EQ(Log(f), QStringList({"10:14"}));
  }
}

TEST(PageReleaseEndToEnd, AHiddenWindowOnTheSignInPageKeepsItsPage) {
  demo::Options options;
  options.auto_sign_in = false;
  DemoRun run(options);
  run.StartWindow();
  const std::string sign_in = run.service.Origin() + "/ServiceLogin?continue=%2Fstream";
  ASSERT_TRUE(WaitFor([&] {
    return run.Address() == sign_in && !run.Browser()->is_loading() && Renderer(run) > 0;
  })) << "last address: "
      << run.Address();
  const int renderer = Renderer(run);

  run.form->hide();
  Settle();
  EXPECT_FALSE(run.Browser()->is_discarded());
  EXPECT_EQ(Renderer(run), renderer);
  EXPECT_TRUE(IsRenderer(renderer));
}

TEST(PageReleaseEndToEnd, TheHeavyStreamIsReadAfterItsScriptAndReleasedLikeTheSmallOne) {
  demo::Options options = SignedIn();
  options.heavy_posts = 300;
  DemoRun run(options);
  run.service.SetStreamState({"10:07", 4});
  ReachStream(run);
  TfrmMain& f = *run.form;
  EXPECT_EQ(f.LastTime(), "10:07");
  EXPECT_EQ(f.LastNotif(), "4");
  const std::string source = run.Browser()->get_main_frame()->get_source();
  EXPECT_NE(source.find("/pictures/299.bmp"), std::string::npos);
  EXPECT_NE(source.find("class=\"plus\""), std::string::npos);  // the script ran

  f.hide();
  ASSERT_TRUE(Released(run));
  // A released page has no document to read, at once.
  EXPECT_EQ(run.Browser()->get_main_frame()->get_source(), "");
}

}  // namespace
}  // namespace slp
