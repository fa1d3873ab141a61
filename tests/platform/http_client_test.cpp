// The HTTP client against a real loopback server: what a request sends, which replies are
// answers, the body's limits, progress events on the event loop, and callbacks that cancel,
// destroy or wait.
#include "platform/http/http_client.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_server.h"
#include "support/wait.h"

namespace slp {
namespace {

using testing::LoopbackServer;
using testing::WaitFor;

// What a client saw of one request, in order.
struct Record {
  std::vector<std::string> events;  // "begin 7", "work 7", "end", "done"
  std::optional<HttpReply> reply;
  bool insideGet = false;  // an event came before Get returned
  bool offThread = false;  // an event came on another thread
};

void Observe(HttpClient& client, Record& record) {
  const QThread* ui = QThread::currentThread();
  auto note = [&record, ui](std::string what) {
    if (QThread::currentThread() != ui) record.offThread = true;
    record.events.push_back(std::move(what));
  };
  client.OnWorkBegin = [note](std::int64_t total) { note("begin " + std::to_string(total)); };
  client.OnWork = [note](std::int64_t count) { note("work " + std::to_string(count)); };
  client.OnWorkEnd = [note] { note("end"); };
}

// Runs one GET and waits for its reply.
HttpReply Fetch(HttpClient& client, const std::string& url, Record* record = nullptr) {
  Record local;
  Record& r = record ? *record : local;
  bool returned = false;
  const bool started = client.Get(url, [&](HttpReply reply) {
    if (!returned) r.insideGet = true;
    r.events.push_back("done");
    r.reply = std::move(reply);
  });
  returned = true;
  EXPECT_TRUE(started);
  EXPECT_TRUE(WaitFor([&] { return r.reply.has_value(); }));
  return r.reply.value_or(HttpReply{});
}

// The routes every test below can ask for.
void AddRoutes(LoopbackServer& server) {
  httplib::Server& s = server.Routes();
  s.Get("/text", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("1.2.1.0", "text/plain");
  });
  s.Get("/empty", [](const httplib::Request&, httplib::Response& res) { res.status = 204; });
  s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("not here", "text/plain");
  });
  s.Get("/broken", [](const httplib::Request&, httplib::Response& res) {
    res.status = 500;
    res.set_content("broken", "text/plain");
  });
  s.Get("/moved",
        [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/text"); });
  s.Get("/moved-twice", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("redirect body that is not the reply", "text/plain");
    res.status = 301;
    res.set_header("Location", "/moved");
  });
  s.Get("/size/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(std::string(std::stoul(req.matches[1]), 'x'), "application/octet-stream");
  });
  s.Get("/short", [](const httplib::Request&, httplib::Response& res) {
    // Announces 100 bytes, sends 3 and closes the connection.
    res.set_content_provider(100, "text/plain",
                             [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                               if (offset > 0) return false;
                               sink.write("abc", 3);
                               return true;
                             });
  });
  s.Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](std::size_t offset, httplib::DataSink& sink) {
      if (offset >= 30) {
        sink.done();
        return true;
      }
      sink.write("0123456789", 10);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      return true;
    });
  });
  // Ten bytes every 100 ms for a second: slow, never silent for long.
  s.Get("/trickle", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](std::size_t offset, httplib::DataSink& sink) {
      if (offset >= 100) {
        sink.done();
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      sink.write("abcdefghij", 10);
      return true;
    });
  });
  s.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    res.set_content("late", "text/plain");
  });
  s.Get("/cookie/set", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "session=abc; Path=/");
    res.set_content("set", "text/plain");
  });
  s.Get("/cookie/set-and-move", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "moved=yes; Path=/");
    res.set_redirect("/cookie/show");
  });
  s.Get("/cookie/show", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(req.get_header_value("Cookie"), "text/plain");
  });
  s.Get("/hang", server.Hang());
}

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddRoutes(server);
    ASSERT_NE(server.Start(), 0);
  }
  LoopbackServer server;
};

TEST_F(HttpClientTest, OnlyAWhole2xxReplyIsAnAnswer) {
  struct Case {
    const char* what;
    std::string target;  // empty: a port where nothing listens
    HttpSettings settings;
    bool ok;
    long status;
    std::string body;
  };
  const HttpSettings plain;
  const HttpSettings follow{.followRedirects = true};
  const HttpSettings capped{.maxBodyBytes = 64 * 1024};
  const Case cases[] = {
      {"a text", "/text", plain, true, 200, "1.2.1.0"},
      {"no content", "/empty", plain, true, 204, ""},
      {"not found", "/missing", plain, false, 404, "not here"},
      {"server error", "/broken", plain, false, 500, "broken"},
      {"redirect, not followed", "/moved", plain, false, 302, ""},
      {"redirect, followed", "/moved", follow, true, 200, "1.2.1.0"},
      {"two redirects, followed; their bodies are not the reply", "/moved-twice", follow, true, 200,
       "1.2.1.0"},
      {"body at the cap", "/size/65536", capped, true, 200, std::string(65536, 'x')},
      {"body one byte over the cap", "/size/65537", capped, false, 200, ""},
      {"body shorter than announced", "/short", plain, false, 200, ""},
      {"nothing listens", "", plain, false, 0, ""},
  };
  const int closed = testing::ClosedPort();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HttpClient client(c.settings);
    const std::string url = c.target.empty() ? "http://127.0.0.1:" + std::to_string(closed) + "/"
                                             : server.Url(c.target);
    const HttpReply reply = Fetch(client, url);
    EXPECT_EQ(reply.ok, c.ok);
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.error.empty(), c.ok) << reply.error;
    if (c.ok || !c.body.empty()) {
      EXPECT_EQ(reply.body, c.body);
    }
    EXPECT_FALSE(client.InFlight());
  }
}

TEST_F(HttpClientTest, EveryRequestIsTheSamePlainGet) {
  // A proxy named by the environment is not used.
  const char* before = std::getenv("http_proxy");
  const std::string saved = before ? before : "";
  setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(testing::ClosedPort())).c_str(), 1);
  setenv("HTTP_PROXY", std::getenv("http_proxy"), 1);
  HttpClient client;
  const HttpReply reply = Fetch(client, server.Url("/text?1.2.0.26"));
  if (before)
    setenv("http_proxy", saved.c_str(), 1);
  else
    unsetenv("http_proxy");
  unsetenv("HTTP_PROXY");
  EXPECT_TRUE(reply.ok) << reply.error;

  const auto seen = server.Requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].target, "/text?1.2.0.26");
  EXPECT_EQ(seen[0].version, "HTTP/1.1");
  EXPECT_EQ(seen[0].Header("Accept"), "text/html, */*");
  EXPECT_EQ(seen[0].Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
  EXPECT_FALSE(seen[0].Has("Range"));
  EXPECT_FALSE(seen[0].Has("Cookie"));
  EXPECT_FALSE(seen[0].Has("Authorization"));
  EXPECT_FALSE(seen[0].Has("Accept-Encoding"));
}

TEST_F(HttpClientTest, ReplyKeepsItsContentType) {
  HttpClient client;
  EXPECT_EQ(Fetch(client, server.Url("/text")).contentType, "text/plain");
}

TEST_F(HttpClientTest, CookiesLiveAsLongAsTheClient) {
  HttpClient first(HttpSettings{.followRedirects = true});
  EXPECT_EQ(Fetch(first, server.Url("/cookie/show")).body, "");
  Fetch(first, server.Url("/cookie/set"));
  EXPECT_EQ(Fetch(first, server.Url("/cookie/show")).body, "session=abc");
  // A cookie set by a redirect is sent to where it leads.
  EXPECT_EQ(Fetch(first, server.Url("/cookie/set-and-move")).body, "session=abc; moved=yes");

  HttpClient second;
  EXPECT_EQ(Fetch(second, server.Url("/cookie/show")).body, "");
}

TEST_F(HttpClientTest, ProgressComesFromTheEventLoopInOrder) {
  struct Case {
    const char* what;
    std::string target;
    HttpSettings settings;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"announced length", "/text", {}, {"begin 7", "work 7", "end", "done"}},
      {"no length announced", "/chunked", {}, {"begin -1", "work 30", "end", "done"}},
      {"empty reply", "/empty", {}, {"begin 0", "end", "done"}},
      {"error status: its body is read", "/missing", {}, {"begin 8", "work 8", "end", "done"}},
      {"redirects: only the final reply",
       "/moved-twice",
       {.followRedirects = true},
       {"begin 7", "work 7", "end", "done"}},
      {"no connection: no begin, no end", "", {}, {"done"}},
      {"over the cap: begin, then end",
       "/size/5000",
       {.maxBodyBytes = 10},
       {"begin 5000", "end", "done"}},
  };
  const int closed = testing::ClosedPort();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HttpClient client(c.settings);
    Record record;
    Observe(client, record);
    const std::string url = c.target.empty() ? "http://127.0.0.1:" + std::to_string(closed) + "/"
                                             : server.Url(c.target);
    Fetch(client, url, &record);
    // Work events not yet delivered are merged: only the last count of a batch is seen.
    std::vector<std::string> merged;
    for (const std::string& e : record.events) {
      if (!merged.empty() && merged.back().rfind("work ", 0) == 0 && e.rfind("work ", 0) == 0)
        merged.back() = e;
      else
        merged.push_back(e);
    }
    EXPECT_EQ(merged, c.events);
    EXPECT_FALSE(record.insideGet);
    EXPECT_FALSE(record.offThread);
  }
}

TEST_F(HttpClientTest, ACallbackThatPumpsEventsSeesNoFurtherEventInsideIt) {
  // Each callback pumps events for a while (as a progress handler that repaints does), long
  // enough for more data and the reply's end to arrive meanwhile.
  HttpClient client;
  int depth = 0;
  int deepest = 0;
  std::vector<std::string> events;
  auto pumping = [&](std::string what) {
    events.push_back(std::move(what));
    deepest = std::max(deepest, ++depth);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 150) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    --depth;
  };
  client.OnWorkBegin = [&](std::int64_t) { pumping("begin"); };
  client.OnWork = [&](std::int64_t) { pumping("work"); };
  client.OnWorkEnd = [&] { pumping("end"); };
  bool done = false;
  ASSERT_TRUE(client.Get(server.Url("/trickle"), [&](HttpReply reply) {
    events.push_back("done");
    deepest = std::max(deepest, depth + 1);
    done = true;
    EXPECT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.body.size(), 100u);
  }));
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_EQ(deepest, 1);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front(), "begin");
  EXPECT_EQ(events[events.size() - 2], "end");
  EXPECT_EQ(events.back(), "done");
}

TEST_F(HttpClientTest, OneRequestAtATime) {
  HttpClient client;
  int done = 0;
  ASSERT_TRUE(client.Get(server.Url("/slow"), [&](HttpReply) { ++done; }));
  EXPECT_TRUE(client.InFlight());
  EXPECT_FALSE(client.Get(server.Url("/text"), [&](HttpReply) { ++done; }));
  const HttpReply waited = client.GetAndWait(server.Url("/text"));
  EXPECT_FALSE(waited.ok);
  EXPECT_FALSE(waited.error.empty());
  ASSERT_TRUE(WaitFor([&] { return done == 1; }));
  EXPECT_FALSE(client.InFlight());
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(HttpClientTest, CallbacksMayCancelRestartOrDestroyTheClient) {
  struct Case {
    const char* what;
    // Acts from inside one callback; `client` may be reset.
    std::function<void(std::unique_ptr<HttpClient>& client, int& restarted)> act;
    const char* where;  // "begin", "work", "end" or "done"
    bool doneCalled;
  };
  LoopbackServer& s = server;
  const Case cases[] = {
      {"cancel in begin", [](auto& c, int&) { c->Cancel(); }, "begin", false},
      {"destroy in begin", [](auto& c, int&) { c.reset(); }, "begin", false},
      {"destroy in work", [](auto& c, int&) { c.reset(); }, "work", false},
      {"destroy in end", [](auto& c, int&) { c.reset(); }, "end", false},
      {"destroy in done", [](auto& c, int&) { c.reset(); }, "done", true},
      {"cancel and get again in work",
       [&s](auto& c, int& restarted) {
         c->Cancel();
         EXPECT_TRUE(c->Get(s.Url("/text"), [&restarted](HttpReply r) {
           EXPECT_TRUE(r.ok);
           ++restarted;
         }));
       },
       "work", false},
      {"get again in done",
       [&s](auto& c, int& restarted) {
         EXPECT_FALSE(c->InFlight());
         EXPECT_TRUE(c->Get(s.Url("/text"), [&restarted](HttpReply r) {
           EXPECT_TRUE(r.ok);
           ++restarted;
         }));
       },
       "done", true},
      {"wait for another reply in done",
       [&s](auto& c, int& restarted) {
         const HttpReply r = c->GetAndWait(s.Url("/text"));
         EXPECT_TRUE(r.ok) << r.error;
         ++restarted;
       },
       "done", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto client = std::make_unique<HttpClient>();
    int restarted = 0;
    bool acted = false;
    auto at = [&](const char* where) {
      if (acted || std::string(where) != c.where) return;
      acted = true;
      c.act(client, restarted);
    };
    client->OnWorkBegin = [&](std::int64_t) { at("begin"); };
    client->OnWork = [&](std::int64_t) { at("work"); };
    client->OnWorkEnd = [&] { at("end"); };
    bool doneCalled = false;
    ASSERT_TRUE(client->Get(server.Url("/size/5000"), [&](HttpReply) {
      doneCalled = true;
      at("done");
    }));
    ASSERT_TRUE(WaitFor([&] { return acted; }));
    // Let whatever might still come arrive.
    const bool expectRestart = std::string(c.what).find("again") != std::string::npos ||
                               std::string(c.what).find("wait") != std::string::npos;
    if (expectRestart) {
      EXPECT_TRUE(WaitFor([&] { return restarted == 1; }));
    }
    bool settled = false;
    QTimer::singleShot(100, [&] { settled = true; });
    ASSERT_TRUE(WaitFor([&] { return settled; }));
    EXPECT_EQ(doneCalled, c.doneCalled);
    if (client) {
      EXPECT_TRUE(WaitFor([&] { return !client->InFlight() && !client->Scheduled(); }));
    }
  }
}

TEST_F(HttpClientTest, WaitingKeepsTheLoopRunning) {
  HttpClient client;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(20);
  const HttpReply reply = client.GetAndWait(server.Url("/slow"));
  EXPECT_TRUE(reply.ok) << reply.error;
  EXPECT_EQ(reply.body, "late");
  EXPECT_GE(ticks, 5);
}

TEST_F(HttpClientTest, AWaitEndsWhenTheClientIsCancelledOrDestroyed) {
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "cancelled");
    auto client = std::make_unique<HttpClient>();
    QTimer::singleShot(100, [&] {
      if (destroy)
        client.reset();
      else
        client->Cancel();
    });
    const HttpReply reply = client->GetAndWait(server.Url("/hang"));
    EXPECT_FALSE(reply.ok);
    EXPECT_FALSE(reply.error.empty());
    EXPECT_EQ(client == nullptr, destroy);
    if (client) {
      EXPECT_FALSE(client->InFlight());
    }
  }
}

TEST_F(HttpClientTest, ATransferSilentForTheStallLimitFails) {
  struct Case {
    const char* what;
    const char* target;
    bool ok;
  };
  const Case cases[] = {
      {"no byte at all", "/hang", false},
      {"slow but never silent that long", "/trickle", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HttpClient client(HttpSettings{.stallTimeoutMs = 400});
    QElapsedTimer t;
    t.start();
    const HttpReply reply = Fetch(client, server.Url(c.target));
    EXPECT_EQ(reply.ok, c.ok) << reply.error;
    if (!c.ok) {
      EXPECT_GE(t.elapsed(), 400);
      EXPECT_LT(t.elapsed(), 5000);
      EXPECT_NE(reply.error.find("no data"), std::string::npos) << reply.error;
    }
  }
}

// A listener whose queue of accepted connections is full: the system drops further
// connection attempts, which then wait for an answer that never comes.
class FullListener {
 public:
  FullListener() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    for (int i = 0; i < 4; ++i) {
      const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
      fillers_.push_back(s);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ~FullListener() {
    for (const int s : fillers_) ::close(s);
    ::close(listener_);
  }
  int Port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;
};

TEST_F(HttpClientTest, AConnectionAttemptGivesUpAtItsLimit) {
  FullListener full;
  HttpClient client(HttpSettings{.connectTimeoutMs = 500, .stallTimeoutMs = 0});
  QElapsedTimer t;
  t.start();
  const HttpReply reply = Fetch(client, "http://127.0.0.1:" + std::to_string(full.Port()) + "/");
  EXPECT_FALSE(reply.ok);
  EXPECT_EQ(reply.status, 0);
  EXPECT_GE(t.elapsed(), 450);
  EXPECT_LT(t.elapsed(), 5000);
  EXPECT_NE(reply.error.find("imeout"), std::string::npos) << reply.error;
}

TEST_F(HttpClientTest, NothingIsScheduledWhileNoRequestIsInFlight) {
  HttpClient client;
  EXPECT_FALSE(client.Scheduled());
  for (const char* target : {"/text", "/missing", "/slow"}) {
    SCOPED_TRACE(target);
    Fetch(client, server.Url(target));
    EXPECT_TRUE(WaitFor([&] { return !client.Scheduled(); }, 2000));
  }
  // A kept-alive connection closed by the server wakes nobody either.
  bool later = false;
  QTimer::singleShot(1500, [&] { later = true; });
  ASSERT_TRUE(WaitFor([&] { return later; }));
  EXPECT_FALSE(client.Scheduled());
  EXPECT_TRUE(Fetch(client, server.Url("/text")).ok);
}

TEST(HttpSettingsTest, DefaultsGiveUpAfterTwoMinutes) {
  const HttpSettings s;
  EXPECT_FALSE(s.followRedirects);
  EXPECT_EQ(s.connectTimeoutMs, 120000);
  EXPECT_EQ(s.stallTimeoutMs, 120000);
}

// --- Reply decoding -------------------------------------------------------------------------

TEST(DecodeBodyTest, CharsetFromTheHeaderElseAMetaDeclarationElseByteForByte) {
  struct Case {
    const char* what;
    std::string body;
    std::string contentType;
    std::string charset;  // what BodyCharset names
    std::string text;     // UTF-8
  };
  const Case cases[] = {
      {"no charset: each byte its own code", "1.2\xE9\x80\xFF", "text/plain", "",
       "1.2\xC3\xA9\xC2\x80\xC3\xBF"},
      {"no header at all", "abc", "", "", "abc"},
      {"header, UTF-8", "v\xC3\xA9", "text/plain; charset=utf-8", "utf-8", "v\xC3\xA9"},
      {"header, quoted and spaced", "v\xE9", "text/plain ;Charset = \"ISO-8859-1\" ", "ISO-8859-1",
       "v\xC3\xA9"},
      {"header, windows-1252", "\x80", "text/html; charset=windows-1252", "windows-1252",
       "\xE2\x82\xAC"},
      {"header, UTF-16LE",
       std::string("1\0.\0"
                   "2\0",
                   6),
       "text/plain; charset=UTF-16LE", "UTF-16LE", "1.2"},
      {"header, after another parameter", "v\xE9", "text/plain; format=flowed; charset=latin1",
       "latin1", "v\xC3\xA9"},
      {"header wins over meta", "<meta charset=\"utf-8\">\xE9", "text/html; charset=iso-8859-1",
       "iso-8859-1", "<meta charset=\"utf-8\">\xC3\xA9"},
      {"meta charset", "<html><head><meta charset=\"utf-8\"></head>\xC3\xA9", "text/html", "utf-8",
       "<html><head><meta charset=\"utf-8\"></head>\xC3\xA9"},
      {"meta charset, unquoted, upper case", "<META CHARSET=UTF-8>\xC3\xA9", "", "UTF-8",
       "<META CHARSET=UTF-8>\xC3\xA9"},
      {"meta http-equiv",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\x80", "",
       "windows-1252",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; "
       "charset=windows-1252\">\xE2\x82\xAC"},
      {"meta content without http-equiv names nothing",
       "<meta content=\"text/html; charset=utf-8\">\xE9", "", "",
       "<meta content=\"text/html; charset=utf-8\">\xC3\xA9"},
      {"meta inside a comment names nothing", "<!-- <meta charset=utf-8> -->\xE9", "", "",
       "<!-- <meta charset=utf-8> -->\xC3\xA9"},
      {"the first meta that names one",
       "<meta name=x><meta charset=latin1><meta charset=utf-8>\xE9", "", "latin1",
       "<meta name=x><meta charset=latin1><meta charset=utf-8>\xC3\xA9"},
      {"not a meta tag", "<metadata charset=utf-8>\xE9", "", "",
       "<metadata charset=utf-8>\xC3\xA9"},
      {"unknown charset: byte for byte", "v\xE9", "text/plain; charset=no-such-set", "no-such-set",
       "v\xC3\xA9"},
      {"iconv options are not a charset", "v\xE9", "text/plain; charset=utf-8//IGNORE",
       "utf-8//IGNORE", "v\xC3\xA9"},
      {"invalid bytes in the charset",
       "a\xFF"
       "b",
       "text/plain; charset=utf-8", "utf-8",
       "a\xEF\xBF\xBD"
       "b"},
      {"incomplete sequence at the end", "a\xC3", "text/plain; charset=utf-8", "utf-8",
       "a\xEF\xBF\xBD"},
      {"a code point beyond U+10FFFF", "a\xF4\x92\x92\x92", "text/plain; charset=utf-8", "utf-8",
       "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"empty charset in the header: meta then", "<meta charset=latin1>\xE9",
       "text/html; charset=", "latin1", "<meta charset=latin1>\xC3\xA9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(BodyCharset(c.body, c.contentType), c.charset);
    EXPECT_EQ(DecodeBody(c.body, c.contentType), c.text);
  }
}

TEST_F(HttpClientTest, RepliesDecodeByTheirCharset) {
  LoopbackServer charsets;  // routes cannot be added to a running server: a second one
  charsets.Routes().Get("/header", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string("1\0.\0"
                                "2\0",
                                6),
                    "text/plain; charset=utf-16le");
  });
  charsets.Routes().Get("/meta", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<meta charset=utf8>\xC3\xA9", "text/html");
  });
  charsets.Routes().Get("/bytes", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("1.2\xC3\xA9", "text/plain");
  });
  ASSERT_NE(charsets.Start(), 0);
  HttpClient client;
  auto text = [&](const char* target) {
    const HttpReply r = Fetch(client, charsets.Url(target));
    return DecodeBody(r.body, r.contentType);
  };
  EXPECT_EQ(text("/header"), "1.2");
  EXPECT_EQ(text("/meta"), "<meta charset=utf8>\xC3\xA9");
  EXPECT_EQ(text("/bytes"), "1.2\xC3\x83\xC2\xA9");
}

}  // namespace
}  // namespace slp
