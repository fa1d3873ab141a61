// The Renewer executable itself, as the notifier starts it.
#include <gtest/gtest.h>

#include <QProcess>

#include "download_service.h"
#include "platform/os/command_line.h"
#include "updater_fixture.h"

namespace slp::renewer {
namespace {

namespace fs = std::filesystem;
using testing::DownloadService;
using testing::ReadText;
using testing::Updater;
using testing::WaitFor;
using testing::WriteText;

TEST(RenewerProcess, UpdatesRestartsAndEndsWithCodeZero) {
  DownloadService server;
  server.SetBody(ReadText(SLP_TEST_CHILD));
  Updater u;  // only its folders
  const std::string target = u.App("slp");
  WriteText(target, "old");
  fs::permissions(target, fs::perms(0755));
  QProcess renewer;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("TMPDIR", QString::fromStdString(u.folder / "tmp"));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(u.folder.Path()));
  renewer.setProcessEnvironment(env);
  renewer.setWorkingDirectory(QString::fromStdString(u.folder / "tmp"));
  renewer.setProcessChannelMode(QProcess::ForwardedChannels);
  // Split here as the notifier splits its parameter text.
  const QString parameters =
      QString::fromStdString("/url=\"" + server.Url("/redirect") + "\" /target=\"" + target +
                             "\" /restart /commandline=\">a b> /updated\"");
  QStringList arguments;
  for (const std::string& a : SplitArguments(parameters.toStdString()))
    arguments << QString::fromStdString(a);
  renewer.start(SLP_RENEWER_BINARY, arguments);
  ASSERT_TRUE(renewer.waitForStarted());
  ASSERT_TRUE(renewer.waitForFinished(30000));
  EXPECT_EQ(renewer.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(renewer.exitCode(), 0);
  EXPECT_EQ(ReadText(target), ReadText(SLP_TEST_CHILD));
  EXPECT_TRUE(fs::is_empty(u.folder / "tmp"));
  ASSERT_TRUE(
      WaitFor([&] { return ReadText(u.App("record.txt")).find('\n') != std::string::npos; }));
  EXPECT_EQ(ReadText(u.App("record.txt")),
            u.folder / "app" + "\tsession\tsigpipe-default\ta b\t/updated\n");
}

}  // namespace
}  // namespace slp::renewer
