#pragma once
// The updater's window on real files in a temporary folder: "tmp/" is its temporary
// directory and "app/" holds targets. Programs it starts are started for real and reaped
// when the fixture goes.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/guid.h"
#include "platform/os/spawn.h"
#include "platform/ui/dialogs.h"
#include "support/os_test_support.h"
#include "support/wait.h"
#include "updater/core/switches.h"
#include "updater/frm_main.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace slp::renewer::testing {

namespace fs = std::filesystem;
using slp::testing::ReadText;
using slp::testing::TempFolder;
using slp::testing::WaitFor;
using slp::testing::WriteText;

// The counted arguments of a hand-off command line built as the notifier builds it.
inline std::vector<std::string> HandOff(const std::string& url, const std::string& target,
                                        bool restart, const std::string& arguments) {
  std::string written = arguments;
  for (char& c : written) {
    if (c == '"') c = '>';
  }
  std::string line = "\"/tmp/Renewer/Renewer\" /url=\"" + url + "\" /target=\"" + target + "\"";
  if (restart) line += " /restart";
  line += " /commandline=\"" + written + "\"";
  return CountedArguments(line);
}

class Updater {
 public:
  Updater() {
    fs::create_directory(folder / "tmp");
    fs::create_directory(folder / "app");
    Dialogs::ClearAnswers();
    Dialogs::ClearLastDialog();
  }
  ~Updater() {
    form.reset();
    Dialogs::ClearAnswers();
    for (long long pid : started) {
      if (pid <= 0) continue;
      bool reaped = false;
      for (int i = 0; i < 500 && !reaped; ++i) {
        reaped = waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) == pid;
        if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (!reaped) {
        kill(static_cast<pid_t>(pid), SIGKILL);
        waitpid(static_cast<pid_t>(pid), nullptr, 0);
      }
    }
  }

  // Creates the window; the run starts once the event loop runs.
  void Create(std::vector<std::string> arguments) {
    TfrmMain::Setup setup;
    setup.arguments = std::move(arguments);
    setup.tempDirectory = [this] { return folder / "tmp/"; };
    setup.newGuid = [this] {
      ++guids;
      return NewGuidString();
    };
    setup.shellOpen = [this](const std::string& file, const std::string& parameters,
                             const std::string& directory) {
      const long long pid = ShellOpen(file, parameters, directory);
      started.push_back(pid);
      return pid;
    };
    setup.faults = faults;
    form = std::make_unique<TfrmMain>(std::move(setup));
    QObject::connect(form.get(), &TfrmMain::StatusShown,
                     [this](const QString& text) { statuses.push_back(text); });
    QObject::connect(form.get(), &TfrmMain::RunEnded, [this] { ended = true; });
  }

  // Creates and shows the window and waits for the end of its run.
  void Run(std::vector<std::string> arguments) {
    Create(std::move(arguments));
    // A box that no test answers would wait for ever inside the run.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "unanswered box: " << box->windowTitle().toStdString();
        box->close();
      }
    });
    watchdog.start(20000);
    form->show();
    ASSERT_TRUE(WaitFor([this] { return ended; })) << "the run did not end";
  }

  // Runs `act` on the next modal message box once it is open, then expects it closed.
  void OnNextBox(std::function<void(QMessageBox&)> act, int attempts = 400) {
    QTimer::singleShot(10, [this, act, attempts] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) {
        if (attempts > 0)
          OnNextBox(act, attempts - 1);
        else
          ADD_FAILURE() << "no message box appeared";
        return;
      }
      act(*box);
    });
  }

  std::string App(const std::string& name) const { return folder / ("app/" + name); }
  bool TempDirectoryEmpty() const { return fs::is_empty(folder / "tmp"); }
  // Names in the application folder.
  std::vector<std::string> AppEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder / "app"))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder folder;
  FileFaults faults;
  std::unique_ptr<TfrmMain> form;
  std::vector<QString> statuses;
  std::vector<long long> started;
  int guids = 0;
  bool ended = false;
};

}  // namespace slp::renewer::testing
