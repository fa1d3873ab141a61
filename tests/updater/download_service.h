#pragma once
// A download service for the updater's tests on the shared loopback server. Its routes:
//   /file         the body set with SetBody
//   /redirect     302 to /file
//   /error        404
//   /flaky        500 the first `flaky_failures` times, then the body
//   /slow         the body in `slow_chunks` pieces, announced, with a pause before each
//   /short        announces the body's size, sends half of it and ends the connection
//   /empty        200 with an empty body
// ResettingServer below breaks its connections off with a reset instead.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_server.h"

namespace slp::renewer::testing {

class DownloadService {
 public:
  DownloadService() {
    httplib::Server& routes = server_.Routes();
    routes.Get("/file", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(Body(), "application/octet-stream");
    });
    routes.Get("/redirect",
               [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/file"); });
    routes.Get("/error", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/plain");
    });
    routes.Get("/flaky", [this](const httplib::Request&, httplib::Response& res) {
      if (flaky_failures-- > 0) {
        res.status = 500;
        res.set_content("try again", "text/plain");
        return;
      }
      res.set_content(Body(), "application/octet-stream");
    });
    routes.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      const std::string body = Body();
      const std::size_t piece = (body.size() + slow_chunks - 1) / slow_chunks;
      const int pause = slow_pause_ms;
      res.set_content_provider(
          body.size(), "application/octet-stream",
          [body, piece, pause](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause));
            return sink.write(body.data() + offset, std::min(piece, body.size() - offset));
          });
    });
    routes.Get("/short", [this](const httplib::Request&, httplib::Response& res) {
      const std::string body = Body();
      res.set_content_provider(body.size(), "application/octet-stream",
                               [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                 if (offset > 0) return false;  // ends the connection
                                 return sink.write(body.data(), body.size() / 2);
                               });
    });
    routes.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("", "application/octet-stream");
    });
    EXPECT_GT(server_.Start(), 0);
  }

  std::string Url(const std::string& path) const { return server_.Url(path); }
  void SetBody(std::string body) {
    std::lock_guard<std::mutex> lock(mutex_);
    body_ = std::move(body);
  }
  // The paths asked for, in order.
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const auto& r : server_.Requests()) paths.push_back(r.target);
    return paths;
  }

  std::atomic<int> flaky_failures{1};
  std::atomic<std::size_t> slow_chunks{20};
  std::atomic<int> slow_pause_ms{50};

 private:
  std::string Body() {
    std::lock_guard<std::mutex> lock(mutex_);
    return body_;
  }

  std::mutex mutex_;
  std::string body_ = "new file";
  slp::testing::LoopbackServer server_;  // last: stopped before the routes' state goes
};

// Announces `body`, sends half of it and resets the connection, for every request. A bare
// socket: cpp-httplib always ends its connections in order, with a close that the client
// reads as a short body.
class ResettingServer {
 public:
  explicit ResettingServer(std::string body) : body_(std::move(body)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(listener_, 4), 0);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ResettingServer() {
    stopping_ = true;
    thread_.join();
    close(listener_);
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  void Serve() {
    while (!stopping_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int c = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(c, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      const std::string reply =
          "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
          "Content-Length: " +
          std::to_string(body_.size()) + "\r\n\r\n" + body_.substr(0, body_.size() / 2);
      send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
      linger abort{1, 0};  // closing now sends a reset
      setsockopt(c, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
      close(c);
    }
  }

  std::string body_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace slp::renewer::testing
