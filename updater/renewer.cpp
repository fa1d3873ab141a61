// Renewer: the updater's process entry. Whatever the run's outcome, the window shows it and
// the process ends with code 0.
#include <QApplication>
#include <string>
#include <vector>

#include "locale/translator.h"
#include "platform/os/command_line.h"
#include "updater/frm_main.h"

int main(int argc, char** argv) {
  slp::FixLanguage();  // from the environment the program was started with
  // Taken before Qt reads the command line and removes the options it knows.
  std::vector<std::string> commandLine(argv, argv + argc);
  QApplication app(argc, argv);
  slp::renewer::ApplyApplicationTitle();

  slp::renewer::TfrmMain::Setup setup;
  setup.arguments = slp::renewer::CountedArguments(slp::JoinCommandLine(commandLine));
  slp::renewer::TfrmMain frmMain(std::move(setup));
  frmMain.show();
  app.exec();
  return 0;
}
