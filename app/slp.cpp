// slp: the notifier's process entry.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>
#include <cstdlib>

#include "app/core/build_addresses.h"
#include "app/frm_main.h"
#include "locale/translator.h"
#include "platform/browser/webengine_chromium.h"
#include "platform/ui/termination.h"

int main(int argc, char** argv) {
  slp::FixLanguage();  // from the environment the program was started with
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the engine needs it
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sylpwatch"));
  // The window ends the run when it closes, also while hidden in the tray.
  QApplication::setQuitOnLastWindowClosed(false);

  // Log-out and shutdown close the window as the user would, so the settings are saved; an
  // open message box closes first.
  QPointer<QWidget> mainWindow;
  slp::OnTerminationSignals([&mainWindow] {
    if (QWidget* box = QApplication::activeModalWidget())
      box->close();
    else if (mainWindow)
      mainWindow->close();
  });

  // The engine cannot start: say so and end with a failure.
  auto engineFailure = [](const std::string& why) {
    std::fprintf(stderr, "slp: %s\n", why.c_str());
    QMessageBox::critical(nullptr, QStringLiteral("Sylpwatch"), QString::fromStdString(why));
    std::exit(1);
  };
  if (const std::string problem = slp::TChromium::EngineProblem(); !problem.empty())
    engineFailure(problem);

  slp::TfrmMain::Setup setup;
  setup.addresses = slp::BuildAddresses();
  for (int i = 1; i < argc; ++i) setup.arguments.emplace_back(argv[i]);
  setup.setCachePath = slp::TChromium::SetCachePath;
  setup.createChromium = [engineFailure](QWidget* parent) -> std::unique_ptr<slp::Chromium> {
    auto control = std::make_unique<slp::TChromium>(parent);
    control->OnEngineFailure = [engineFailure] {
      engineFailure("The browser engine stopped before it showed a page.");
    };
    return control;
  };

  int code = 0;
  {
    slp::TfrmMain frmMain(std::move(setup));
    mainWindow = &frmMain;
    frmMain.show();
    code = app.exec();
  }
  return code;
}
