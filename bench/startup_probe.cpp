// startup_probe: runs the notifier's window on the real engine against an in-process demo
// service, once on the small stream page and once on the heavy one (thousands of posts with
// pictures and a script), each in a child process of its own, and prints side by side:
// (1) the time from process start to the first load end of the stream, (2) the memory (PSS)
// of the whole process tree (the program and the engine's helpers) with the window shown and
// hidden to the tray, and the page's renderer's share, (3) the main thread's wake-ups per
// second while idle, shown and hidden, (4) how long showing the window takes to bring the
// released page back to its load end.
//
//   QT_QPA_PLATFORM=offscreen build/ci/bench/startup_probe [idle-seconds]
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "platform/browser/webengine_chromium.h"
#include "platform/os/process_tree.h"
#include "platform/ui/spin_edit.h"
#include "tools/demo/demo_service.h"

namespace {

using slp::InTree;
using slp::PssKb;
using slp::TreePssKb;

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

// Runs the loop until `done` holds, checking every 50 ms; false after `limit_ms`.
template <typename Predicate>
bool RunUntil(QApplication& app, Predicate done, int limit_ms = 60000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limit_ms) return false;
    QTimer::singleShot(50, [&app] { app.exit(0); });
    app.exec();
  }
  return true;
}

void RunFor(QApplication& app, int ms) {
  QTimer::singleShot(ms, [&app] { app.exit(0); });
  app.exec();
}

// Wake-ups of the main thread per second over `seconds` of idling.
double IdleWakeups(QApplication& app, int seconds) {
  const long before = MainThreadSwitches();
  RunFor(app, seconds * 1000);
  return static_cast<double>(MainThreadSwitches() - before) / seconds;
}

// One page in this process: prints "name value" lines for the parent.
int MeasureOnePage(int argc, char** argv, bool heavy, int idle_seconds) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);

  slp::demo::Options options;
  options.signed_in = true;
  options.change_seconds = 3600;
  options.heavy_posts = heavy ? slp::demo::kHeavyPosts : 0;
  slp::demo::Service service(options);
  if (service.Start() == 0) return 1;

  QTemporaryDir cache;
  slp::TChromium::SetCachePath(cache.path().toStdString());
  slp::TfrmMain::Setup setup;
  setup.addresses = slp::Addresses::FromOrigins(service.Origin(), service.Origin(),
                                                "https://partner.demo.invalid", service.Origin());
  setup.createChromium = [](QWidget* parent) { return std::make_unique<slp::TChromium>(parent); };
  const std::string config = cache.filePath("config").toStdString();
  setup.environment = [config](std::string_view name) -> std::optional<std::string> {
    if (name == "XDG_CONFIG_HOME") return config;
    return std::nullopt;
  };
  auto form = std::make_unique<slp::TfrmMain>(std::move(setup));
  // Idle means no refresh while measuring: the longest interval.
  form->spedInterval->SetValue(120);
  form->show();
  auto* control = static_cast<slp::TChromium*>(form->Browser());
  QWebEnginePage* page = control->View()->page();
  slp::CefBrowser* browser = control->Browser();

  double arrived_at = -1;
  QObject::connect(form->chkRefresh, &QCheckBox::toggled, [&](bool on) {
    if (on && arrived_at < 0) arrived_at = SecondsSinceProcessStart();
  });
  if (!RunUntil(app, [&] { return arrived_at >= 0; })) {
    std::puts("error the stream was not reached");
    return 1;
  }
  std::printf("start_ms %.0f\n", arrived_at * 1000);

  // Shown, idle on the stream.
  RunFor(app, 2000);  // let the page settle
  const int renderer = static_cast<int>(page->renderProcessPid());
  std::printf("wakeups_shown %.2f\n", IdleWakeups(app, idle_seconds));
  std::printf("processes_shown %zu\n", slp::ProcessTree(getpid()).size());
  std::printf("pss_shown_kb %ld\n", TreePssKb(getpid()));
  std::printf("pss_renderer_kb %ld\n", PssKb(renderer));

  // Hidden to the tray: the page gives its renderer back.
  form->hide();
  if (!RunUntil(app, [&] { return browser->is_discarded() && !InTree(getpid(), renderer); })) {
    std::puts("error the renderer was not released");
    return 1;
  }
  RunFor(app, 2000);
  std::printf("wakeups_hidden %.2f\n", IdleWakeups(app, idle_seconds));
  std::printf("processes_hidden %zu\n", slp::ProcessTree(getpid()).size());
  std::printf("pss_hidden_kb %ld\n", TreePssKb(getpid()));

  // Shown again: the page comes back and its load ends.
  bool back = false;
  QObject::connect(page, &QWebEnginePage::loadFinished, [&] { back = true; });
  QElapsedTimer clock;
  clock.start();
  form->show();
  if (!RunUntil(app, [&] { return back; })) {
    std::puts("error the page did not come back");
    return 1;
  }
  std::printf("show_to_load_end_ms %lld\n", static_cast<long long>(clock.elapsed()));
  form.reset();
  service.Stop();
  return 0;
}

std::map<std::string, std::string> RunChild(const char* self, const char* page, int idle) {
  const std::string command =
      std::string("'") + self + "' --page=" + page + " " + std::to_string(idle) + " 2>/dev/null";
  std::map<std::string, std::string> values;
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return values;
  char line[512];
  while (std::fgets(line, sizeof line, child)) {
    std::istringstream in(line);
    std::string key, value;
    in >> key;
    std::getline(in >> std::ws, value);
    values[key] = value;
  }
  values["exit"] = std::to_string(pclose(child));
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  int idle_seconds = 10;
  const char* only = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--page=", 7) == 0)
      only = argv[i] + 7;
    else
      idle_seconds = std::max(1, std::atoi(argv[i]));
  }
  if (only) return MeasureOnePage(argc, argv, std::strcmp(only, "heavy") == 0, idle_seconds);

  auto small = RunChild(argv[0], "small", idle_seconds);
  auto heavy = RunChild(argv[0], "heavy", idle_seconds);
  for (auto* run : {&small, &heavy})
    if (run->count("error") || run->at("exit") != "0") {
      std::printf("a run failed: %s\n",
                  run->count("error") ? (*run)["error"].c_str() : "no result");
      return 1;
    }
  auto num = [](std::map<std::string, std::string>& run, const char* key) {
    return std::atof(run[key].c_str());
  };
  auto mib = [&](std::map<std::string, std::string>& run, const char* key) {
    return num(run, key) / 1024.0;
  };
  std::printf("%-42s %14s %14s\n", "", "small page", "heavy page");
  std::printf("%-42s %11.0f ms %11.0f ms\n", "process start to first stream load end",
              num(small, "start_ms"), num(heavy, "start_ms"));
  std::printf("%-42s %9s / %s %9s / %s\n", "processes in the tree, shown / hidden",
              small["processes_shown"].c_str(), small["processes_hidden"].c_str(),
              heavy["processes_shown"].c_str(), heavy["processes_hidden"].c_str());
  std::printf("%-42s %10.0f MiB %10.0f MiB\n", "tree PSS, window shown", mib(small, "pss_shown_kb"),
              mib(heavy, "pss_shown_kb"));
  std::printf("%-42s %10.0f MiB %10.0f MiB\n", "  of which the page's renderer",
              mib(small, "pss_renderer_kb"), mib(heavy, "pss_renderer_kb"));
  std::printf("%-42s %10.0f MiB %10.0f MiB\n", "tree PSS, hidden to the tray",
              mib(small, "pss_hidden_kb"), mib(heavy, "pss_hidden_kb"));
  std::printf("%-42s %10.0f MiB %10.0f MiB\n", "saved while hidden",
              mib(small, "pss_shown_kb") - mib(small, "pss_hidden_kb"),
              mib(heavy, "pss_shown_kb") - mib(heavy, "pss_hidden_kb"));
  std::printf("%-42s %14.2f %14.2f\n", "hidden / shown",
              num(small, "pss_hidden_kb") / num(small, "pss_shown_kb"),
              num(heavy, "pss_hidden_kb") / num(heavy, "pss_shown_kb"));
  std::printf("%-42s %12.2f/s %12.2f/s\n", "main thread wake-ups idle, shown",
              num(small, "wakeups_shown"), num(heavy, "wakeups_shown"));
  std::printf("%-42s %12.2f/s %12.2f/s\n", "main thread wake-ups idle, hidden",
              num(small, "wakeups_hidden"), num(heavy, "wakeups_hidden"));
  std::printf("%-42s %11.0f ms %11.0f ms\n", "showing to the stream's load end",
              num(small, "show_to_load_end_ms"), num(heavy, "show_to_load_end_ms"));
  std::printf("(idle over %d s each; each page in a process of its own)\n", idle_seconds);
  return 0;
}
