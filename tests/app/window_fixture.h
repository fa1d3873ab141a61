#pragma once
// A main window on a scripted browser (and, when asked, a recording taskbar).

#include <QApplication>
#include <QRect>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "support/fake_chromium.h"
#include "support/fake_taskbar.h"

// Readable failures for geometry.
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

namespace slp {

inline const Addresses kAddr = Addresses::FromOrigins(
    "https://social.test", "https://accounts.test", "https://partner.test", "http://maker.test");

struct Window {
  testing::FakeChromium* fake = nullptr;
  testing::FakeTaskbar* taskbar = nullptr;  // null: no taskbar, as on this system
  std::unique_ptr<TfrmMain> form;

  explicit Window(std::vector<std::string> arguments = {}, bool with_taskbar = false) {
    TfrmMain::Setup setup;
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
