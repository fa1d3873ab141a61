#include "tools/demo/demo_service.h"

#include <httplib.h>
#include <sys/socket.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "monitor/addresses.h"

namespace slp::demo {

namespace {

constexpr const char* kCookie = "SID=demo";

std::string Page(const std::string& title, const std::string& body, const std::string& head = {}) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title + "</title>" + head +
         "<style>body{font-family:sans-serif;margin:12px;color:#222}"
         ".post{border:1px solid #ddd;border-radius:4px;padding:8px;margin:8px 0}"
         ".bar{background:#d34836;color:#fff;padding:6px;border-radius:4px}"
         ".bar a{color:#fff}.count{background:#fff;color:#d34836;border-radius:8px;"
         "padding:0 6px;margin-left:4px}</style></head><body>" +
         body + "</body></html>";
}

}  // namespace

std::string NotifierVersion() { return SLP_NOTIFIER_VERSION; }

StreamState ScheduledState(int tick) {
  StreamState s;
  const int minutes = 9 * 60 + 41 + (tick + 1) / 2 * 7;
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d:%02d", (minutes / 60) % 24, minutes % 60);
  s.post_time = buf;
  s.counter = (tick % 4 == 3) ? 0 : 3 + tick / 2;
  return s;
}

std::string Picture(int n) {
  const int w = kPictureWidth, h = kPictureHeight;
  const int row = (w * 3 + 3) / 4 * 4;
  const std::uint32_t pixels = static_cast<std::uint32_t>(row * h);
  std::string bmp(54 + pixels, '\0');
  auto put = [&bmp](size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
  };
  put(0, 'B' | ('M' << 8), 2);
  put(2, 54 + pixels, 4);
  put(10, 54, 4);  // pixel data offset
  put(14, 40, 4);  // info header size
  put(18, static_cast<std::uint32_t>(w), 4);
  put(22, static_cast<std::uint32_t>(h), 4);
  put(26, 1, 2);   // planes
  put(28, 24, 2);  // bits per pixel
  put(34, pixels, 4);
  // A gradient whose colours and stripes follow the number, so no two pictures are alike.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t at = 54 + static_cast<size_t>(y * row + x * 3);
      const bool stripe = ((x + y + n) / (4 + n % 7)) % 2 == 0;
      bmp[at] = static_cast<char>((x * 255 / w + n * 37) & 0xff);
      bmp[at + 1] = static_cast<char>((y * 255 / h + n * 91) & 0xff);
      bmp[at + 2] = static_cast<char>(stripe ? (n * 53) & 0xff : 0xff - ((n * 53) & 0xff));
    }
  return bmp;
}

std::string StreamPage(const StreamState& state, const std::string& lang, int older_posts) {
  const bool fr = lang == "fr";
  const std::string marker = fr ? "FLUX" : "Stream";
  const std::string who = fr ? "Public" : "Public";
  std::ostringstream body;
  body << "<div class=\"bar\"><a href=\"/notifications\">"
       << (fr ? "Notifications" : "Notifications") << "<span class=\"count\"><span>"
       << state.counter << "</span></span></a></div>"
       << "<div class=\"nav\"><span>" << marker << "</span></div>"
       << "<div class=\"post\"><b>Ada</b> <span class=\"time\"><a href=\"/posts/1\">"
       << state.post_time << "</a></span> &nbsp;-&nbsp; <span>" << who << "</span>"
       << "<p>" << (fr ? "Nouvelle publication de démonstration." : "A demo post.") << "</p></div>"
       << "<div class=\"post\"><b>Grace</b> <span class=\"time\"><a href=\"/posts/0\">"
       << "08:15</a></span> &nbsp;-&nbsp; <span>" << who << "</span><p>"
       << (fr ? "Une publication plus ancienne." : "An older post.") << "</p></div>";
  static const char* const kAuthors[] = {"Ada", "Grace", "Edsger", "Barbara", "Ken", "Frances"};
  for (int i = 0; i < older_posts; ++i) {
    // Older than the two above: one minute back per post from 08:14, days folded away.
    const int minutes = ((8 * 60 + 14 - i) % 1440 + 1440) % 1440;
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", minutes / 60, minutes % 60);
    body << "<div class=\"post\" data-id=\"" << i + 2 << "\"><b>" << kAuthors[i % 6]
         << "</b> <span class=\"time\"><a href=\"/posts/" << i + 2 << "\">" << time
         << "</a></span> &nbsp;-&nbsp; <span>" << who << "</span><p>"
         << (fr ? "Publication " : "Post ") << i + 2
         << (fr ? " : des nouvelles, une photo et quelques mots de plus pour la remplir."
                : ": some news, a picture and a few more words to fill it out.")
         << "</p><img src=\"/pictures/" << i << ".bmp\" width=\"" << kPictureWidth << "\" height=\""
         << kPictureHeight << "\" alt=\"\"></div>";
  }
  if (older_posts > 0) {
    // What a stream's script keeps: a model of every post, and a line it adds under each.
    body << "<script>window.stream={posts:[]};"
            "document.querySelectorAll('.post').forEach(function(p,i){"
            "var m={id:i,author:p.querySelector('b').textContent,text:p.textContent,"
            "words:p.textContent.split(' '),seen:false};window.stream.posts.push(m);"
            "var c=document.createElement('div');c.className='plus';"
            "c.textContent=(i*7%23)+' +1, '+(i*5%11)+' comments';p.appendChild(c);});"
            "</script>";
  }
  return Page(fr ? "Flux" : "Stream", body.str());
}

Service::Service(Options options)
    : options_(std::move(options)),
      server_(std::make_unique<httplib::Server>()),
      signed_in_(options_.signed_in) {
  Routes();
}

Service::~Service() { Stop(); }

StreamState Service::CurrentState() const {
  std::lock_guard lock(mutex_);
  if (fixed_state_) return *fixed_state_;
  const auto elapsed = std::chrono::steady_clock::now() - started_;
  const int step = std::max(1, options_.change_seconds);
  return ScheduledState(
      static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count() / step));
}

void Service::Routes() {
  httplib::Server& s = *server_;
  s.set_keep_alive_timeout(1);
  s.set_logger([this](const httplib::Request& req, const httplib::Response&) {
    std::lock_guard lock(mutex_);
    std::string line = req.method + " " + req.path;
    const auto q = req.target.find('?');
    if (q != std::string::npos) line += req.target.substr(q);
    requests_.push_back(line);
  });

  auto signed_in = [this](const httplib::Request& req) {
    std::lock_guard lock(mutex_);
    return signed_in_ || req.get_header_value("Cookie").find(kCookie) != std::string::npos;
  };
  auto show_stream = [this, signed_in](const httplib::Request& req, httplib::Response& res) {
    if (!signed_in(req)) {
      res.set_redirect("/ServiceLogin?continue=%2Fstream");
      return;
    }
    res.set_content(StreamPage(CurrentState(), options_.lang, options_.heavy_posts),
                    "text/html; charset=utf-8");
  };

  s.Get("/", show_stream);
  s.Get("/stream", [show_stream](const httplib::Request& req, httplib::Response& res) {
    if (!req.params.empty()) {
      res.set_redirect("/stream");  // the stream with its tab query lands on the bare page
      return;
    }
    show_stream(req, res);
  });
  s.Get(R"(/pictures/(\d+)\.bmp)", [](const httplib::Request& req, httplib::Response& res) {
    // Pictures never change at their address, and say so, as a real stream's do.
    res.set_header("Cache-Control", "public, max-age=31536000, immutable");
    res.set_content(Picture(std::atoi(req.matches[1].str().c_str())), "image/bmp");
  });
  s.Get("/ServiceLogin", [this](const httplib::Request&, httplib::Response& res) {
    std::string script;
    if (options_.auto_sign_in)
      script =
          "<script>window.addEventListener('load',function(){setTimeout(function(){"
          "document.forms[0].submit();},300);});</script>";
    res.set_content(Page("Sign in",
                         "<h1>Sign in</h1><form method=\"post\" action=\"/ServiceLogin\">"
                         "<label>Email <input name=\"email\" value=\"ada@demo.invalid\"></label> "
                         "<button type=\"submit\">Sign in</button></form>" +
                             script),
                    "text/html; charset=utf-8");
  });
  s.Post("/ServiceLogin", [this](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", std::string(kCookie) + "; Path=/; Max-Age=31536000");
    // The notifier's own completion address, on this service.
    res.set_redirect(Addresses::FromOrigins("", "", options_.partner, "").SignInDoneUrl);
  });
  s.Get("/accounts/CheckCookie", [](const httplib::Request&, httplib::Response& res) {
    // Fully loaded first, then on to the settings page, as the real flow does.
    res.set_content(Page("Signed in",
                         "<p>Signed in.</p><script>window.addEventListener("
                         "'load',function(){setTimeout(function(){"
                         "location.href='/settings/';},200);});</script>"),
                    "text/html; charset=utf-8");
  });
  s.Get("/settings/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(Page("Settings", "<h1>Settings</h1>"), "text/html; charset=utf-8");
  });
  s.Get("/signout", [this](const httplib::Request&, httplib::Response& res) {
    {
      std::lock_guard lock(mutex_);
      signed_in_ = false;
    }
    res.set_header("Set-Cookie", std::string(kCookie) + "; Path=/; Max-Age=0");
    res.set_redirect("/");
  });
  s.Get("/slp/version", [this](const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(mutex_);
    res.set_content(options_.version_answer, "text/plain");
  });
  s.Get("/zazavezod/download",
        [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/files/slp"); });
  s.Get("/files/slp", [this](const httplib::Request&, httplib::Response& res) {
    std::ifstream in(options_.download_file, std::ios::binary);
    if (options_.download_file.empty() || !in) {
      res.status = 404;
      return;
    }
    std::ostringstream data;
    data << in.rdbuf();
    res.set_content(data.str(), "application/octet-stream");
  });
}

int Service::Start() {
  started_ = std::chrono::steady_clock::now();
  // The library's default also sets SO_REUSEPORT, with which a second service binds a taken
  // port and the system splits the connections between the two.
  server_->set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  if (options_.port == 0)
    port_ = server_->bind_to_any_port("127.0.0.1");
  else
    port_ = server_->bind_to_port("127.0.0.1", options_.port) ? options_.port : 0;
  if (port_ <= 0) return port_ = 0;
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  watchdog_ = std::thread([this] {
    const auto deadline = started_ + std::chrono::seconds(options_.lifetime_seconds);
    std::unique_lock lock(mutex_);
    stop_requested_.wait_until(lock, deadline, [this] { return stopping_; });
    lock.unlock();
    server_->stop();
  });
  // A stop that came before the loop runs would be lost.
  for (int i = 0; i < 5000 && !server_->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return port_;
}

void Service::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_requested_.notify_all();
  server_->stop();
  Wait();
}

void Service::Wait() {
  if (thread_.joinable()) thread_.join();
  if (watchdog_.joinable()) watchdog_.join();
}

std::string Service::Origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> Service::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void Service::SetStreamState(const StreamState& state) {
  std::lock_guard lock(mutex_);
  fixed_state_ = state;
}

}  // namespace slp::demo
