// The real notifier executable as a process.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "support/wait.h"

namespace slp {
namespace {

using testing::WaitFor;

TEST(ProcessEndToEnd, ReadsItsIntervalAndWritesItBackWhenClosedBySignal) {
  QTemporaryDir home;
  const QString folder = home.filePath("config/Tarnel/Sylpnote");
  ASSERT_TRUE(QDir().mkpath(folder));
  {
    QFile ini(folder + "/slp.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Sylp]\nInterval=500\n");
  }
  QProcess slp;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("APPDATA");
  env.insert("HOME", home.path());
  env.insert("XDG_CONFIG_HOME", home.filePath("config"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("ASAN_OPTIONS", "new_delete_type_mismatch=0:detect_leaks=0");  // the engine's own
  slp.setProcessEnvironment(env);
  slp.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  slp.start(SLP_BINARY, {});
  ASSERT_TRUE(slp.waitForStarted());

  // The engine makes its cache folder beside the settings file once it runs.
  EXPECT_TRUE(WaitFor([&] { return QDir(folder + "/cache").exists(); }))
      << "no cache folder in " << folder.toStdString();
  ::kill(static_cast<pid_t>(slp.processId()), SIGTERM);
  ASSERT_TRUE(slp.waitForFinished(30000));
  EXPECT_EQ(slp.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(slp.exitCode(), 0);

  QFile ini(folder + "/slp.ini");
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_EQ(ini.readAll().toStdString(), "[Sylp]\nInterval=120\n");
}

TEST(ProcessEndToEnd, AnEngineThatCannotStartEndsWithAnErrorBoxAndCode1) {
  QTemporaryDir home;
  QProcess slp;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", home.path());
  env.insert("XDG_CONFIG_HOME", home.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("QTWEBENGINEPROCESS_PATH", home.filePath("no-such-helper"));
  env.insert("ASAN_OPTIONS", "new_delete_type_mismatch=0:detect_leaks=0");
  slp.setProcessEnvironment(env);
  slp.start(SLP_BINARY, {});
  ASSERT_TRUE(slp.waitForStarted());
  QByteArray errors;
  // The box waits for the user; the message on stderr says it is up.
  EXPECT_TRUE(WaitFor([&] {
    errors += slp.readAllStandardError();
    return errors.contains("helper program is missing") || slp.state() == QProcess::NotRunning;
  })) << errors.toStdString();
  ::kill(static_cast<pid_t>(slp.processId()), SIGTERM);  // closes the box
  ASSERT_TRUE(slp.waitForFinished(30000));
  EXPECT_EQ(slp.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(slp.exitCode(), 1);
}

TEST(ProcessEndToEnd, AnEngineThatFailsLaterEndsThroughTheWindowWithCode1) {
  // The helper exists but dies at once: the engine gives up after the window is up. The run
  // still ends as a closed window does, so the setting is written back.
  QTemporaryDir home;
  const QString folder = home.filePath("config/Tarnel/Sylpnote");
  ASSERT_TRUE(QDir().mkpath(folder));
  {
    QFile ini(folder + "/slp.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Sylp]\nInterval=500\n");
  }
  QProcess slp;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("APPDATA");
  env.insert("HOME", home.path());
  env.insert("XDG_CONFIG_HOME", home.filePath("config"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("QTWEBENGINEPROCESS_PATH", "/bin/false");
  env.insert("ASAN_OPTIONS", "new_delete_type_mismatch=0:detect_leaks=0");
  slp.setProcessEnvironment(env);
  slp.start(SLP_BINARY, {});
  ASSERT_TRUE(slp.waitForStarted());
  QByteArray errors;
  EXPECT_TRUE(WaitFor([&] {
    errors += slp.readAllStandardError();
    return errors.contains("stopped before it showed a page") ||
           slp.state() == QProcess::NotRunning;
  })) << errors.toStdString();
  ::kill(static_cast<pid_t>(slp.processId()), SIGTERM);  // closes the box, then the window
  ASSERT_TRUE(slp.waitForFinished(30000));
  EXPECT_EQ(slp.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(slp.exitCode(), 1);
  QFile ini(folder + "/slp.ini");
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_EQ(ini.readAll().toStdString(), "[Sylp]\nInterval=120\n");
}

}  // namespace
}  // namespace slp
