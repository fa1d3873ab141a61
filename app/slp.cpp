// slp: the notifier's process entry.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>

#include "app/core/build_addresses.h"
#include "app/engine_failure.h"
#include "app/frm_main.h"
#include "locale/translator.h"
#include "platform/browser/webengine_chromium.h"
#include "platform/os/embedded.h"
#include "platform/os/processes.h"
#include "platform/os/spawn.h"
#include "platform/os/temp_directory.h"
#include "platform/ui/termination.h"
#include "resources/icons.h"
#include "update/hand_off.h"
#include "update/packed_program.h"

int main(int argc, char** argv) {
  slp::FixLanguage();  // from the environment the program was started with
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the engine needs it
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sylpwatch"));
  QApplication::setDesktopFileName(QStringLiteral(SLP_APP_ID));  // ties windows to the menu entry
  QApplication::setWindowIcon(slp::icons::ApplicationIcon());
  // The window ends the run when it closes, also while hidden in the tray.
  QApplication::setQuitOnLastWindowClosed(false);

  // Log-out and shutdown close the window as the user would, so the settings are saved; an
  // open message box closes first.
  QPointer<QWidget> mainWindow;
  slp::OnTerminationSignals([&mainWindow] { slp::CloseModalsThenWindow(mainWindow); });

  auto report = [](const std::string& why) {
    std::fprintf(stderr, "slp: %s\n", why.c_str());
    QMessageBox::critical(nullptr, QStringLiteral("Sylpwatch"), QString::fromStdString(why));
  };
  // Nothing is running yet that would need saving.
  if (const std::string problem = slp::TChromium::EngineProblem(); !problem.empty()) {
    report(problem);
    return 1;
  }

  // The engine failing later ends the run through the window, with code 1.
  slp::EngineFailure engineFailure(report);
  slp::TfrmMain::Setup setup;
  setup.addresses = slp::BuildAddresses();
  // As started, before Qt took its own options out: they are passed on through an update.
  setup.arguments = slp::StartArguments();
  setup.tempDirectory = [] { return slp::GetTempDirectory(); };
  setup.updaterProgram = [] {
    const auto packed = slp::FindEmbeddedResource("UPDATER");
    return slp::UnpackProgram({reinterpret_cast<const char*>(packed.data()), packed.size()})
        .value_or(std::string());
  };
  setup.isProcessRunning = [](const std::string& path) { return slp::IsProcessRunning(path); };
  setup.shellOpen = slp::ShellOpen;
  setup.setCachePath = slp::TChromium::SetCachePath;
  setup.createChromium = [&](QWidget* parent) -> std::unique_ptr<slp::Chromium> {
    auto control = std::make_unique<slp::TChromium>(parent);
    control->OnEngineFailure = [&engineFailure] {
      engineFailure.Raise("The browser engine stopped before it showed a page.");
    };
    return control;
  };

  int code = 0;
  {
    slp::TfrmMain frmMain(std::move(setup));
    mainWindow = &frmMain;
    engineFailure.SetWindow(&frmMain);
    frmMain.show();
    code = app.exec();
  }
  return engineFailure.ExitCode(code);
}
