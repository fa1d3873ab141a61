// slp: the notifier's process entry.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "app/core/build_addresses.h"
#include "app/frm_main.h"
#include "platform/browser/webengine_chromium.h"

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the engine needs it
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sylpwatch"));
  // The window ends the run when it closes, also while hidden in the tray.
  QApplication::setQuitOnLastWindowClosed(false);

  slp::TfrmMain::Setup setup;
  setup.addresses = slp::BuildAddresses();
  for (int i = 1; i < argc; ++i) setup.arguments.emplace_back(argv[i]);
  setup.createChromium = [](QWidget* parent) -> std::unique_ptr<slp::Chromium> {
    auto control = std::make_unique<slp::TChromium>(parent);
    control->OnEngineFailure = [] {
      QMessageBox::critical(nullptr, QStringLiteral("Sylpwatch"),
                            QStringLiteral("The browser engine cannot run on this system."));
      std::exit(1);
    };
    return control;
  };

  int code = 0;
  {
    slp::TfrmMain frmMain(std::move(setup));
    frmMain.show();
    code = app.exec();
  }
  return code;
}
