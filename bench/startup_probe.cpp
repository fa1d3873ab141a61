// startup_probe: starts the notifier's window on the real engine against an in-process demo
// service and prints (1) the time from process start to the first load end of the stream,
// (2) the memory of the whole process tree (the program and the engine's helpers), and
// (3) the main thread's wake-ups per second while idle on the stream.
//
//   QT_QPA_PLATFORM=offscreen build/ci/bench/startup_probe [idle-seconds]
#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/frm_main.h"
#include "platform/browser/webengine_chromium.h"
#include "tools/demo/demo_service.h"

namespace {

double SecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream rest(text.substr(text.rfind(')') + 2));
  std::string field;
  unsigned long long start_ticks = 0;
  for (int i = 3; i <= 22; ++i) {
    rest >> field;
    if (i == 22) start_ticks = std::stoull(field);
  }
  std::ifstream up("/proc/uptime");
  double uptime = 0;
  up >> uptime;
  return uptime - static_cast<double>(start_ticks) / sysconf(_SC_CLK_TCK);
}

long StatusKb(int pid, const std::string& key, const char* file = "status") {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  return 0;
}

std::vector<int> Tree(int root) {
  std::vector<int> pids{root};
  for (size_t i = 0; i < pids.size(); ++i) {
    DIR* dir = opendir("/proc");
    while (dirent* e = readdir(dir)) {
      const int pid = std::atoi(e->d_name);
      if (pid <= 0) continue;
      std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
      std::string text((std::istreambuf_iterator<char>(stat)), {});
      if (text.empty()) continue;
      std::istringstream rest(text.substr(text.rfind(')') + 2));
      std::string state;
      int ppid = 0;
      rest >> state >> ppid;
      if (ppid == pids[i]) pids.push_back(pid);
    }
    closedir(dir);
  }
  return pids;
}

long MainThreadSwitches() {
  const int pid = getpid();
  std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status");
  std::string line;
  long total = 0;
  while (std::getline(in, line))
    if (line.find("ctxt_switches:") != std::string::npos)
      total += std::stol(line.substr(line.find(':') + 1));
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  const int idle_seconds = argc > 1 ? std::atoi(argv[1]) : 10;

  slp::demo::Options options;
  options.signed_in = true;
  options.change_seconds = 3600;
  slp::demo::Service service(options);
  if (service.Start() == 0) return 1;

  QTemporaryDir cache;
  slp::TChromium::SetCachePath(cache.path().toStdString());
  slp::TfrmMain::Setup setup;
  setup.addresses = slp::Addresses::FromOrigins(service.Origin(), service.Origin(),
                                                "https://partner.demo.invalid", service.Origin());
  setup.createChromium = [](QWidget* parent) { return std::make_unique<slp::TChromium>(parent); };
  const std::string config = cache.filePath("config").toStdString();
  // "%appdata%" resolves into the temporary folder: the probe leaves the user's settings alone.
  setup.environment = [config](std::string_view name) -> std::optional<std::string> {
    if (name == "XDG_CONFIG_HOME") return config;
    return std::nullopt;
  };
  auto form = std::make_unique<slp::TfrmMain>(std::move(setup));
  form->show();

  double arrived_at = -1;
  QObject::connect(form->chkRefresh, &QCheckBox::toggled, [&](bool on) {
    if (on && arrived_at < 0) {
      arrived_at = SecondsSinceProcessStart();
      app.exit(0);
    }
  });
  QTimer::singleShot(60000, [&] { app.exit(1); });
  if (app.exec() != 0) {
    std::puts("the stream was not reached");
    return 1;
  }
  std::printf("process start to first stream load end: %.0f ms\n", arrived_at * 1000);

  // Idle on the stream: count the main thread's context switches.
  QTimer::singleShot(2000, [&] { app.exit(0); });  // let the page settle
  app.exec();
  const long switches_before = MainThreadSwitches();
  QTimer::singleShot(idle_seconds * 1000, [&] { app.exit(0); });
  app.exec();
  const long switches = MainThreadSwitches() - switches_before;
  std::printf("main thread wake-ups while idle: %.1f per second over %d s\n",
              static_cast<double>(switches) / idle_seconds, idle_seconds);

  long peak = 0, pss = 0;
  const std::vector<int> tree = Tree(getpid());
  for (int pid : tree) {
    peak += StatusKb(pid, "VmHWM");
    pss += StatusKb(pid, "Pss", "smaps_rollup");
  }
  std::printf("process tree: %zu processes, sum of peak RSS %.0f MiB, PSS now %.0f MiB\n",
              tree.size(), peak / 1024.0, pss / 1024.0);
  form.reset();
  service.Stop();
  return 0;
}
