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

// A notifier in a home of its own whose settings file holds `ini`, started offscreen with
// `extra` in its environment.
struct SlpRun {
  QTemporaryDir home;
  QString folder = home.filePath("config/Tarnel/Sylpnote");
  QProcess slp;

  SlpRun(const QByteArray& ini, const QProcessEnvironment& extra = {}) {
    EXPECT_TRUE(QDir().mkpath(folder));
    QFile file(folder + "/slp.ini");
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("APPDATA");
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ASAN_OPTIONS", "new_delete_type_mismatch=0:detect_leaks=0");  // the engine's own
    for (const QString& name : extra.keys()) env.insert(name, extra.value(name));
    slp.setProcessEnvironment(env);
    slp.start(SLP_BINARY, {});
    EXPECT_TRUE(slp.waitForStarted());
  }
  // Sends SIGTERM and waits for the end.
  bool Terminate() {
    // A process that has ended already has no id: kill(0) would signal the whole group.
    if (const qint64 pid = slp.processId(); pid > 0) ::kill(static_cast<pid_t>(pid), SIGTERM);
    return slp.state() == QProcess::NotRunning || slp.waitForFinished(30000);
  }
  std::string Settings() {
    QFile ini(folder + "/slp.ini");
    return ini.open(QIODevice::ReadOnly) ? ini.readAll().toStdString() : std::string();
  }
  // Waits until the program says `text` on its error output (or ends).
  bool Says(const char* text) {
    QByteArray errors;
    const bool said = WaitFor([&] {
      errors += slp.readAllStandardError();
      return errors.contains(text) || slp.state() == QProcess::NotRunning;
    });
    return said && errors.contains(text);
  }
};

TEST(ProcessEndToEnd, ReadsItsIntervalAndWritesItBackWhenClosedBySignal) {
  SlpRun run("[Sylp]\nInterval=500\n");
  run.slp.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  // The engine makes its cache folder beside the settings file once it runs.
  EXPECT_TRUE(WaitFor([&] { return QDir(run.folder + "/cache").exists(); }))
      << "no cache folder in " << run.folder.toStdString();
  ASSERT_TRUE(run.Terminate());
  EXPECT_EQ(run.slp.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(run.slp.exitCode(), 0);
  EXPECT_EQ(run.Settings(), "[Sylp]\nInterval=120\n");
}

TEST(ProcessEndToEnd, AnEngineThatCannotStartEndsWithAnErrorBoxAndCode1) {
  QProcessEnvironment extra;
  extra.insert("QTWEBENGINEPROCESS_PATH", "/nonexistent/no-such-helper");
  SlpRun run("", extra);
  // The box waits for the user; the message on stderr says it is up.
  EXPECT_TRUE(run.Says("helper program is missing"));
  ASSERT_TRUE(run.Terminate());  // closes the box
  EXPECT_EQ(run.slp.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(run.slp.exitCode(), 1);
}

}  // namespace
}  // namespace slp
