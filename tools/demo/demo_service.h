#pragma once
// A local stand-in for the social service, the account service, the version service and
// the download service, so the whole notifier runs on a machine without them. Listens on
// 127.0.0.1 only.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace slp::demo {

// The notifier's version this build makes.
std::string NotifierVersion();

struct Options {
  int port = 0;              // 0: any free port
  std::string lang = "en";   // "en": marker "Stream"; "fr": marker "FLUX" (other case)
  bool signed_in = false;    // start with the user signed in
  bool auto_sign_in = true;  // the sign-in page submits itself
  int change_seconds = 20;   // the stream changes every so many seconds
  std::string partner = "https://partner.demo.invalid";  // partner sign-in origin
  std::string version_answer = NotifierVersion();        // by default nothing newer
  std::string download_file;                             // served at the download address
  int lifetime_seconds = 3600;  // the service stops by itself after this long
  int heavy_posts = 0;          // older posts with pictures below the latest, and a script
};

// The default number of older posts of the heavy stream page.
constexpr int kHeavyPosts = 3000;

// What the stream shows at one moment.
struct StreamState {
  std::string post_time;  // "HH:MM"
  int counter = 0;
};

// The stream's content at change number `tick`: the latest post changes at even ticks,
// the counter at odd ones, and every fourth tick it falls back to 0.
StreamState ScheduledState(int tick);

// The stream page's HTML in the given language. With `older_posts`, that many older posts
// follow the two usual ones, each with a picture of its own (Picture) and text, and a
// script builds a model of the posts, as a real stream of realistic weight does.
std::string StreamPage(const StreamState& state, const std::string& lang, int older_posts = 0);

// Picture number `n` of the heavy page (a 24-bit BMP of kPictureWidth x kPictureHeight),
// served at "/pictures/<n>.bmp". Each one differs from the others.
constexpr int kPictureWidth = 120;
constexpr int kPictureHeight = 90;
std::string Picture(int n);

class Service {
 public:
  explicit Service(Options options);
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // Binds and serves on a thread of its own; returns the port, or 0 when binding failed (as
  // when another program listens on the port).
  int Start();
  void Stop();
  // Blocks until the service stopped (by Stop or when its lifetime ran out).
  void Wait();

  std::string Origin() const;
  // "METHOD path?query" of every request so far, in order.
  std::vector<std::string> Requests() const;
  // Fixes what the stream shows from now on (the schedule stops).
  void SetStreamState(const StreamState& state);

 private:
  StreamState CurrentState() const;
  void Routes();

  Options options_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::thread watchdog_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable stop_requested_;
  bool stopping_ = false;
  std::vector<std::string> requests_;
  std::optional<StreamState> fixed_state_;
  bool signed_in_;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace slp::demo
