// >>> NOTE TO THE ENGINEER OF THIS BRANCH (delete this block in your first commit): before you
// >>> write any code, read /work/wt/COMMON.txt: the team's non-negotiable rules, which your task
// >>> brief left out. They apply to everything you do on this branch.
#pragma once
// HTTP GET on libcurl for both programs, driven by the event loop of the thread that makes
// the request: no thread of its own, nothing scheduled while no request is in flight, and
// every callback runs on that thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace slp {

struct HttpSettings {
  bool followRedirects = false;
  // A connection attempt gives up after this long.
  int connectTimeoutMs = 120000;
  // A transfer that receives no byte for this long fails; 0: never.
  int stallTimeoutMs = 120000;
  // A body longer than this fails; 0: no limit.
  std::size_t maxBodyBytes = 0;
};

struct HttpReply {
  bool ok = false;          // a 2xx reply whose whole announced body arrived
  long status = 0;          // status of the final reply; 0 when none arrived
  std::string body;         // the body's raw bytes
  std::string contentType;  // Content-Type of the final reply, as sent
  std::string error;        // why it failed (for tests and logs); empty when ok
};

// One client keeps its cookies in memory for its whole life. Every request is an HTTP/1.1
// GET with Accept "text/html, */*" and User-Agent "Mozilla/3.0 (compatible; Indy Library)",
// no proxy (whatever the environment says) and no ranges. Needs a QCoreApplication.
class HttpClient {
 public:
  explicit HttpClient(HttpSettings settings = {});
  // Cancels a request in flight; its `done` is not called.
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Progress of a transfer, raised from the event loop: begin (the announced total, or -1
  // when none was announced), the bytes received so far, end (also after a failure that
  // followed a begin).
  std::function<void(std::int64_t total)> OnWorkBegin;
  std::function<void(std::int64_t count)> OnWork;
  std::function<void()> OnWorkEnd;

  // Starts a GET and returns at once; `done` runs later from the event loop, exactly once,
  // unless the request is cancelled. One request at a time: while one is in flight this
  // returns false and starts nothing.
  bool Get(const std::string& url, std::function<void(HttpReply)> done);
  bool InFlight() const;
  // Whether anything waits in the event loop for this client (a socket watch or a timer);
  // false whenever no request is in flight.
  bool Scheduled() const;
  // Drops the request in flight without calling its `done`.
  void Cancel();

  // A GET that waits for its reply in a nested event loop: events keep being delivered
  // meanwhile, so callers guard what must not re-enter. Fails at once while another request
  // of this client is in flight.
  HttpReply GetAndWait(const std::string& url);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The body as UTF-8 text: decoded by the charset named in `contentType`, else by the one of
// an HTML meta declaration in the body, else byte for byte (each byte the character of the
// same code). An unknown charset reads byte for byte.
std::string DecodeBody(std::string_view body, std::string_view contentType);

// The charset DecodeBody goes by, as named (the Content-Type header's, else the first meta
// declaration's); empty when neither names one.
std::string BodyCharset(std::string_view body, std::string_view contentType);

}  // namespace slp
