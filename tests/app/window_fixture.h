#pragma once
// A main window on a scripted browser (and, when asked, a recording taskbar).

#include <QApplication>
#include <QPlainTextEdit>
#include <QRect>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "support/fake_chromium.h"
#include "support/fake_taskbar.h"
#include "support/os_test_support.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Readable failures for geometry.
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

namespace slp {

// The maker's origin is a loopback port where nothing listens: every version check fails at
// once and reads as up to date. Version check tests point it at a server of their own.
// A stream page whose latest post shows `time` and whose counter reads `counter`.
inline std::string StreamWith(const std::string& time, const std::string& counter = "3") {
  return "<div><a href=\"/n\"><span><span>" + counter +
         "</span></span></a></div><div><span>Stream</span></div><span><a href=\"/p\">" + time +
         "</a></span> &nbsp;-&nbsp; <span>x</span>";
}

// The window's log, one entry a line.
inline QStringList Log(TfrmMain& f) {
  const QString text = f.mmoSource->toPlainText();
  return text.isEmpty() ? QStringList() : text.split('\n');
}

// Lets the loop deliver what was queued.
inline void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

inline const Addresses kAddr = Addresses::FromOrigins(
    "https://social.test", "https://accounts.test", "https://partner.test", "http://127.0.0.1:1");

// A start of the updater that the window asked for.
struct Opened {
  std::string program, parameters, folder;
};

struct Window {
  QTemporaryDir config;  // the settings live here, never in the user's folders
  QTemporaryDir temp;    // the window's temporary directory
  std::string temp_path = temp.path().toStdString() + "/";  // may be changed before a tick
  std::string updater_program = "updater program";
  std::vector<Opened> opened;
  long long start_result = 4242;     // what starting a program gives: a process id, or -1
  std::vector<std::string> running;  // executables that run
  std::string cache_path;            // what the engine was given
  testing::FakeChromium* fake = nullptr;
  testing::FakeTaskbar* taskbar = nullptr;  // null: no taskbar, as on this system
  std::unique_ptr<TfrmMain> form;

  // `prepare` runs on the configuration folder before the window exists; `executable`
  // replaces the running executable's path; `shared_config` replaces the window's own
  // configuration folder (for runs that follow each other); `adjust` changes the window's
  // setup last.
  explicit Window(std::vector<std::string> arguments = {}, bool with_taskbar = false,
                  std::function<void(const QTemporaryDir&)> prepare = nullptr,
                  std::string executable = "", QTemporaryDir* shared_config = nullptr,
                  std::function<void(TfrmMain::Setup&)> adjust = nullptr) {
    const QTemporaryDir& folder = shared_config ? *shared_config : config;
    if (prepare) prepare(folder);
    TfrmMain::Setup setup;
    setup.environment = testing::ConfigOnly(folder.path().toStdString());
    if (!executable.empty()) setup.executablePath = executable;
    setup.setCachePath = [this](const std::string& path) { cache_path = path; };
    setup.tempDirectory = [this] { return temp_path; };
    setup.updaterProgram = [this] { return updater_program; };
    setup.isProcessRunning = [this](const std::string& path) {
      return std::find(running.begin(), running.end(), path) != running.end();
    };
    setup.shellOpen = [this](const std::string& program, const std::string& parameters,
                             const std::string& folder) {
      opened.push_back({program, parameters, folder});
      return start_result;
    };
    setup.addresses = kAddr;
    setup.arguments = std::move(arguments);
    setup.createChromium = [this](QWidget*) {
      auto control = std::make_unique<testing::FakeChromium>();
      fake = control.get();
      return control;
    };
    if (with_taskbar) {
      setup.acquireTaskbar = [this]() -> std::unique_ptr<Taskbar> {
        auto t = std::make_unique<testing::FakeTaskbar>();
        taskbar = t.get();
        return t;
      };
    }
    if (adjust) adjust(setup);
    form = std::make_unique<TfrmMain>(std::move(setup));
  }
  // Shows the window and lets the loop deliver what was posted.
  void Start() {
    form->show();
    QApplication::processEvents();
  }
  // The stream page with this source has finished loading.
  void Stream(const std::string& source) {
    fake->source = source;
    fake->Arrive(kAddr.StreamPageUrl);
  }
};

}  // namespace slp
