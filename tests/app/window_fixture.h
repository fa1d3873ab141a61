#pragma once
// A main window on a scripted browser (and, when asked, a recording taskbar).

#include <QApplication>
#include <QRect>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "support/os_test_support.h"
#include "support/fake_chromium.h"
#include "support/fake_taskbar.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Readable failures for geometry.
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

namespace slp {

// The maker's origin is a loopback port where nothing listens: every version check fails at
// once and reads as up to date. Version check tests point it at a server of their own.
inline const Addresses kAddr = Addresses::FromOrigins(
    "https://social.test", "https://accounts.test", "https://partner.test", "http://127.0.0.1:1");

struct Window {
  QTemporaryDir config;  // the settings live here, never in the user's folders
  std::string cache_path;  // what the engine was given
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
