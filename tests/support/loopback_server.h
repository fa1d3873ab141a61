#pragma once
// A loopback HTTP server for tests: cpp-httplib on a thread of its own, routes added before it
// starts, every request recorded, and a handler that holds its request unanswered until the
// test releases it (a service that accepted the connection and never answers).

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace slp::testing {

struct SeenRequest {
  std::string method;
  std::string target;  // path and query as sent
  std::string version;
  httplib::Headers headers;
  bool Has(const std::string& name) const { return headers.find(name) != headers.end(); }
  std::string Header(const std::string& name) const {
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
  }
};

class LoopbackServer {
 public:
  LoopbackServer() {
    server_.set_keep_alive_timeout(1);
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
      std::lock_guard lock(mutex_);
      seen_.push_back({req.method, req.target, req.version, req.headers});
      return httplib::Server::HandlerResponse::Unhandled;
    });
  }
  ~LoopbackServer() { Stop(); }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Routes are added before Start.
  httplib::Server& Routes() { return server_; }

  // A handler that answers nothing until Release() (at most `limit`, so a broken run ends).
  httplib::Server::Handler Hang(std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    return [this, limit](const httplib::Request&, httplib::Response& res) {
      std::unique_lock lock(mutex_);
      ++held_;
      held_changed_.notify_all();
      held_changed_.wait_for(lock, limit, [this] { return released_; });
      --held_;
      res.status = 503;
    };
  }
  // Lets every held request end (its reply comes too late to matter).
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    held_changed_.notify_all();
  }
  std::size_t Held() const {
    std::lock_guard lock(mutex_);
    return held_;
  }

  // Binds to a free port on 127.0.0.1 and serves; returns the port (0: failed).
  int Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) return port_ = 0;
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    for (int i = 0; i < 5000 && !server_.is_running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port_;
  }
  void Stop() {
    Release();
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }

  int Port() const { return port_; }
  std::string Origin() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& target) const { return Origin() + target; }

  std::vector<SeenRequest> Requests() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  std::size_t RequestCount() const {
    std::lock_guard lock(mutex_);
    return seen_.size();
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable held_changed_;
  std::vector<SeenRequest> seen_;
  std::size_t held_ = 0;
  bool released_ = false;
};

// A port on 127.0.0.1 where nothing listens (bound once, then freed): a connection is
// refused at once.
inline int ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  ::close(s);
  return port;
}

}  // namespace slp::testing
