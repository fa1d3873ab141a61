// The version check through the window, against a real loopback version service: what is
// asked, what each reply announces, and how the window lives on while a check waits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "platform/ui/dialogs.h"
#include "platform/ui/tray_icon.h"
#include "support/loopback_server.h"
#include "support/wait.h"
#include "window_fixture.h"

namespace slp {
namespace {

using testing::LoopbackServer;
using testing::WaitFor;

constexpr char kOwnVersion[] = "1.2.0.26";  // the version block the tests carry
const std::string kTail = ".\r\n\r\nClick to close Sylpwatch and update your version.";
const std::string kHead = "A new version is available: ";

// A window whose maker origin is `origin`; `adjust` changes the rest of its setup.
std::unique_ptr<Window> WindowAsking(const std::string& origin,
                                     std::vector<std::string> arguments = {},
                                     std::function<void(TfrmMain::Setup&)> adjust = nullptr) {
  return std::make_unique<Window>(
      std::move(arguments), false, nullptr, "", nullptr, [origin, adjust](TfrmMain::Setup& setup) {
        setup.addresses = Addresses::FromOrigins("https://social.test", "https://accounts.test",
                                                 "https://partner.test", origin);
        if (adjust) adjust(setup);
      });
}

std::string Page(const std::string& time) {
  return "<html><body><div class=\"bar\"><a href=\"/n\"><span><span>3</span></span></a></div>"
         "<div><span>Stream</span></div><div><span><a href=\"/p\">" +
         time + "</a></span> &nbsp;-&nbsp; <span>Public</span></body></html>";
}

// Pumps events for `ms` milliseconds.
void Pump(int ms) {
  bool passed = false;
  QTimer::singleShot(ms, [&] { passed = true; });
  ASSERT_TRUE(WaitFor([&] { return passed; }));
}

class VersionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::ClearAnswers();
    Dialogs::ClearLastDialog();
  }
  void TearDown() override { Dialogs::ClearAnswers(); }
};

// One version service for the whole table: each case answers under its own path prefix.
struct Answer {
  Answer(int s = 200, std::string b = "", std::string type = "text/plain", std::string to = "")
      : status(s), body(std::move(b)), contentType(std::move(type)), location(std::move(to)) {}
  int status;
  std::string body;
  std::string contentType;
  std::string location;  // a redirect to here
};

TEST_F(VersionCheckTest, EachReplyAnnouncesOrNot) {
  struct Case {
    const char* name;  // the path prefix; "unreachable": a port where nothing listens
    Answer answer;
    std::optional<std::string> balloon;  // nothing: no balloon at all
  };
  const Case cases[] = {
      {"same", {200, kOwnVersion}, std::nullopt},
      {"newer", {200, "1.2.1.0"}, kHead + "1.2.1.0" + kTail},
      {"lower", {200, "1.1.9.0"}, kHead + "1.1.9.0" + kTail},
      {"unreachable", {}, std::nullopt},
      {"notfound", {404, "1.2.1.0"}, std::nullopt},
      {"error", {500, "1.2.1.0"}, std::nullopt},
      {"redirect", {302, "", "text/plain", "/newer/slp/version"}, std::nullopt},
      {"long", {200, std::string(30, '9')}, kHead + kTail},
      {"linebreak", {200, std::string(kOwnVersion) + "\r\n"}, kHead + kOwnVersion + "\r\n" + kTail},
      {"empty", {200, ""}, kHead + kTail},
      {"capfull", {200, std::string(64 * 1024, '1')}, kHead + kTail},
      {"overcap", {200, std::string(64 * 1024 + 1, '1')}, std::nullopt},
      {"headercharset",
       {200,
        std::string("1\0.\0"
                    "2\0.\0"
                    "1\0.\0"
                    "0\0",
                    14),
        "text/plain; charset=UTF-16LE"},
       kHead + "1.2.1.0" + kTail},
      // 20 characters once the meta declaration is read, 21 byte for byte.
      {"metacharset",
       {200, "<meta charset=utf8>\xC3\xA9", "text/html"},
       kHead + "<meta charset=utf8>\xC3\xA9" + kTail},
      {"bytes", {200, "1.2.1.0\xE9", "text/plain"}, kHead + "1.2.1.0\xC3\xA9" + kTail},
  };
  std::map<std::string, Answer> answers;
  for (const Case& c : cases) answers[c.name] = c.answer;
  LoopbackServer server;
  server.Routes().Get("/(\\w+)/slp/version",
                      [&answers](const httplib::Request& req, httplib::Response& res) {
                        const Answer& a = answers.at(req.matches[1]);
                        res.status = a.status;
                        if (!a.location.empty()) res.set_header("Location", a.location);
                        res.set_content(a.body, a.contentType);
                      });
  ASSERT_NE(server.Start(), 0);
  const std::string closed = "http://127.0.0.1:" + std::to_string(testing::ClosedPort());

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = server.RequestCount();
    const bool reachable = std::string(c.name) != "unreachable";
    auto w = WindowAsking(reachable ? server.Origin() + "/" + c.name : closed);
    TfrmMain& f = *w->form;
    w->Start();
    EXPECT_TRUE(f.idhtpClient->InFlight());
    ASSERT_TRUE(WaitFor([&] { return !f.idhtpClient->InFlight(); }));

    if (c.balloon) {
      EXPECT_EQ(f.trycnNotify->BalloonHint().toStdString(), *c.balloon);
      EXPECT_EQ(f.trycnNotify->Tag(), 1);
    } else {
      EXPECT_EQ(f.trycnNotify->BalloonHint(), "");
      EXPECT_EQ(f.trycnNotify->Tag(), 0);
    }
    // No message of any kind.
    EXPECT_FALSE(Dialogs::LastDialog().has_value());
    EXPECT_EQ(f.mmoSource->toPlainText(), "");
    EXPECT_FALSE(f.trycnNotify->Animate());

    // Exactly one request, the plain GET with the own version; a redirect is not followed.
    const auto seen = server.Requests();
    ASSERT_EQ(seen.size(), before + (reachable ? 1 : 0));
    if (!reachable) continue;
    const testing::SeenRequest& r = seen.back();
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.target, "/" + std::string(c.name) + "/slp/version?" + kOwnVersion);
    EXPECT_EQ(r.version, "HTTP/1.1");
    EXPECT_EQ(r.Header("Accept"), "text/html, */*");
    EXPECT_EQ(r.Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_FALSE(r.Has("Range"));
  }
}

TEST_F(VersionCheckTest, EveryRefreshChecksAgain) {
  LoopbackServer server;
  server.Routes().Get("/slp/version", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("1.2.1.0", "text/plain");
  });
  ASSERT_NE(server.Start(), 0);
  auto w = WindowAsking(server.Origin());
  TfrmMain& f = *w->form;
  w->Start();
  ASSERT_TRUE(WaitFor([&] { return !f.idhtpClient->InFlight(); }));
  EXPECT_EQ(server.RequestCount(), 1u);
  f.trycnNotify->SetBalloonHint("");
  f.trycnNotify->SetTag(0);

  f.bbtnNavigateRoot->click();
  ASSERT_TRUE(WaitFor([&] { return !f.idhtpClient->InFlight(); }));
  EXPECT_EQ(server.RequestCount(), 2u);
  EXPECT_EQ(f.trycnNotify->BalloonHint().toStdString(), kHead + "1.2.1.0" + kTail);
  EXPECT_EQ(f.trycnNotify->Tag(), 1);

  // A reload from the tray menu does not check.
  f.miRefresh->trigger();
  Pump(100);
  EXPECT_EQ(server.RequestCount(), 2u);
}

TEST_F(VersionCheckTest, BalloonClickThenUpdateStartsTheUpdate) {
  LoopbackServer server;
  server.Routes().Get("/slp/version", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("1.2.1.0", "text/plain");
  });
  ASSERT_NE(server.Start(), 0);
  auto w = WindowAsking(server.Origin());
  TfrmMain& f = *w->form;
  QSignalSpy updates(&f, &TfrmMain::updateStarted);
  w->Start();
  ASSERT_TRUE(WaitFor([&] { return f.trycnNotify->Tag() == 1; }));

  Dialogs::SetNextAnswer(ModalResult::Yes);
  emit f.trycnNotify->BalloonClick();
  ASSERT_TRUE(Dialogs::LastDialog().has_value());
  EXPECT_EQ(Dialogs::LastDialog()->text, "Do you want to update?");
  EXPECT_EQ(updates.count(), 1);
}

TEST_F(VersionCheckTest, WindowLivesOnWhileASlowReplyIsAwaited) {
  LoopbackServer server;
  std::atomic<bool> answer{false};
  server.Routes().Get("/slp/version", [&answer](const httplib::Request&, httplib::Response& res) {
    for (int i = 0; i < 3000 && !answer; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    res.set_content("1.2.1.0", "text/plain");
  });
  ASSERT_NE(server.Start(), 0);
  auto w = WindowAsking(server.Origin());
  TfrmMain& f = *w->form;
  w->Start();
  ASSERT_TRUE(f.idhtpClient->InFlight());

  // A load end: the stream is recognised and read.
  w->Stream(Page("09:41"));
  EXPECT_TRUE(f.chkRefresh->isChecked());
  EXPECT_EQ(f.LastTime(), "09:41");
  // A timer: the refresh timer ticks and refreshes; no second check starts beside the first.
  const auto loads = w->fake->loaded.size();
  f.tmrRefresh->setInterval(50);
  f.tmrRefresh->start();
  ASSERT_TRUE(WaitFor([&] { return w->fake->loaded.size() > loads; }));
  f.tmrRefresh->stop();
  EXPECT_FALSE(f.stb1Text->text().isEmpty());
  // A tray command.
  f.miRefresh->trigger();
  EXPECT_EQ(w->fake->reloads, 1);
  emit f.trycnNotify->DblClick();
  EXPECT_FALSE(f.isVisible());
  emit f.trycnNotify->DblClick();
  EXPECT_TRUE(f.isVisible());

  EXPECT_TRUE(f.idhtpClient->InFlight());
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "");
  answer = true;
  ASSERT_TRUE(WaitFor([&] { return !f.idhtpClient->InFlight(); }));
  EXPECT_EQ(f.trycnNotify->BalloonHint().toStdString(), kHead + "1.2.1.0" + kTail);
  EXPECT_EQ(f.trycnNotify->Tag(), 1);
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(VersionCheckTest, AHungServiceHoldsOneCheckUntilItsStallLimit) {
  LoopbackServer server;
  server.Routes().Get("/slp/version", server.Hang());
  ASSERT_NE(server.Start(), 0);
  auto w = WindowAsking(server.Origin(), {},
                        [](TfrmMain::Setup& setup) { setup.versionCheck.stallTimeoutMs = 800; });
  TfrmMain& f = *w->form;
  QElapsedTimer since;
  since.start();
  w->Start();
  ASSERT_TRUE(WaitFor([&] { return server.Held() == 1; }));

  for (int i = 0; i < 3; ++i) {
    f.bbtnNavigateRoot->click();
    Pump(50);
  }
  EXPECT_TRUE(f.idhtpClient->InFlight());
  EXPECT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Held(), 1u);
  EXPECT_EQ(w->fake->loaded.size(), 4u);  // every refresh navigated

  ASSERT_TRUE(WaitFor([&] { return !f.idhtpClient->InFlight(); }));
  EXPECT_GE(since.elapsed(), 800);
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "");  // a failure reads as up to date
  EXPECT_FALSE(Dialogs::LastDialog().has_value());

  // The next refresh asks again.
  f.bbtnNavigateRoot->click();
  ASSERT_TRUE(WaitFor([&] { return server.RequestCount() == 2; }));
  server.Release();
}

TEST_F(VersionCheckTest, ClientIsTheVersionChecksOne) {
  const TfrmMain::Setup setup;
  EXPECT_FALSE(setup.versionCheck.followRedirects);
  EXPECT_EQ(setup.versionCheck.connectTimeoutMs, 120000);
  EXPECT_EQ(setup.versionCheck.stallTimeoutMs, 120000);
  EXPECT_EQ(setup.versionCheck.maxBodyBytes, 64u * 1024u);
}

TEST_F(VersionCheckTest, GreetingAfterAnUpdateFollowsTheAnswer) {
  LoopbackServer server;
  std::atomic<bool> answer{false};
  server.Routes().Get("/slp/version", [&answer](const httplib::Request&, httplib::Response& res) {
    for (int i = 0; i < 3000 && !answer; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    res.set_content("1.2.1.0", "text/plain");
  });
  ASSERT_NE(server.Start(), 0);
  auto w = WindowAsking(server.Origin(), {"/updated"});
  TfrmMain& f = *w->form;
  w->Start();
  Pump(100);
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "");
  answer = true;
  ASSERT_TRUE(WaitFor([&] { return !f.idhtpClient->InFlight(); }));
  // The announcement came first, the greeting last: its balloon and tag stay.
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "Sylpwatch has been updated!");
  EXPECT_EQ(f.trycnNotify->Tag(), 0);
}

TEST_F(VersionCheckTest, WindowClosedWhileACheckWaitsEndsCleanly) {
  LoopbackServer server;
  server.Routes().Get("/slp/version", server.Hang());
  ASSERT_NE(server.Start(), 0);
  auto w = WindowAsking(server.Origin());
  w->Start();
  ASSERT_TRUE(WaitFor([&] { return server.Held() == 1; }));
  w->form.reset();
  Pump(50);
  server.Release();
}

}  // namespace
}  // namespace slp
