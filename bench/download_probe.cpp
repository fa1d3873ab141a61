// download_probe: serves a body (100 MiB by default) from a loopback server in a separate
// process and fetches it (1) with the updater's HTTP client, as the updater does (the whole
// body into memory, then into a new file), and (2) with the curl command line tool to
// /dev/null, in turns (5 rounds by default). Prints each rate, the ratio of the medians, and
// the probe's memory: resident before the first download (the program itself) and its peak.
// The first round is the updater's case: one download in a fresh process.
//
//   build/ci/bench/download_probe [MiB] [rounds]
#include <httplib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/http/http_client.h"
#include "platform/os/file_replace.h"

namespace {

long StatusKb(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  return 0;
}

// Runs the server in a child process, so that its copy of the body is not counted here.
// Returns the child's id; `port` is where it listens.
pid_t StartServer(std::size_t bytes, int& port) {
  int ports[2];
  if (pipe(ports) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(ports[0]);
    const std::string body(bytes, 'x');
    httplib::Server server;
    server.set_keep_alive_timeout(1);
    server.Get("/file", [&body](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(
          body.size(), "application/octet-stream",
          [&body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return sink.write(body.data() + offset, std::min<std::size_t>(length, 1 << 20));
          });
    });
    const int p = server.bind_to_any_port("127.0.0.1");
    if (write(ports[1], &p, sizeof p) != sizeof p) _exit(1);
    close(ports[1]);
    // Ends by itself should the probe die.
    std::thread stop([&server] {
      std::this_thread::sleep_for(std::chrono::minutes(5));
      server.stop();
    });
    stop.detach();
    server.listen_after_bind();
    _exit(0);
  }
  close(ports[1]);
  if (read(ports[0], &port, sizeof port) != sizeof port) port = 0;
  close(ports[0]);
  return pid;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
  const std::size_t bytes = megabytes << 20;
  const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
  int port = 0;
  const pid_t server = StartServer(bytes, port);
  if (server <= 0 || port <= 0) {
    std::fprintf(stderr, "download_probe: no server\n");
    return 1;
  }
  QCoreApplication app(argc, argv);
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/file";
  const std::string out = "/tmp/download_probe_" + std::to_string(getpid());

  const long baseline_kb = StatusKb("VmRSS");
  std::vector<double> ours, curls;
  for (int round = 0; round < rounds; ++round) {
    slp::HttpSettings settings;
    settings.followRedirects = true;
    slp::HttpClient client(settings);
    const auto t0 = std::chrono::steady_clock::now();
    slp::HttpReply reply = client.GetAndWait(url);
    const auto t1 = std::chrono::steady_clock::now();
    std::string body = std::move(reply.body);
    const bool written = slp::WriteNewFile(out, body) == 0;
    std::remove(out.c_str());
    if (!reply.ok || body.size() != bytes || !written) {
      std::fprintf(stderr, "download_probe: download failed (%s, %zu bytes)\n", reply.error.c_str(),
                   body.size());
      kill(server, SIGTERM);
      return 1;
    }
    ours.push_back(static_cast<double>(bytes) / std::chrono::duration<double>(t1 - t0).count());

    const std::string command = "curl -s -o /dev/null -w '%{speed_download}' '" + url + "'";
    FILE* curl = popen(command.c_str(), "r");
    double rate = 0;
    if (curl == nullptr || std::fscanf(curl, "%lf", &rate) != 1) rate = 0;
    if (curl != nullptr) pclose(curl);
    curls.push_back(rate);
  }
  const long peak_kb = StatusKb("VmHWM");
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);

  auto mb = [](double r) { return r / (1 << 20); };
  std::printf("body: %zu MiB\n", megabytes);
  for (std::size_t i = 0; i < ours.size(); ++i)
    std::printf("round %zu: HttpClient %.0f MiB/s, curl %.0f MiB/s\n", i + 1, mb(ours[i]),
                mb(curls[i]));
  std::printf("median: HttpClient %.0f MiB/s, curl %.0f MiB/s, ratio %.2f\n", mb(Median(ours)),
              mb(Median(curls)), Median(ours) / Median(curls));
  std::printf("memory: %ld MiB before the downloads, peak %ld MiB (body %zu MiB)\n",
              baseline_kb / 1024, peak_kb / 1024, megabytes);
  return 0;
}
