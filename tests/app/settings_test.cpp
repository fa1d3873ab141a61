// The window names itself from its version information and keeps its interval in the
// settings file across runs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "platform/ui/spin_edit.h"
#include "platform/ui/tray_icon.h"
#include "window_fixture.h"

namespace slp {
namespace {

using testing::ReadText;

void WriteFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  testing::WriteText(path, text);
}

// Where the settings of a window whose configuration folder is `config` live.
std::string Folder(const QTemporaryDir& config) {
  return config.path().toStdString() + "/Tarnel/Sylpnote/";
}

TEST(VersionInformationInTheWindow, CaptionTrayHintAndBalloonTitle) {
  Window w;
  EXPECT_EQ(w.form->windowTitle(), "Sylpwatch v" SLP_NOTIFIER_VERSION);
  EXPECT_EQ(w.form->trycnNotify->Hint(), "Sylpwatch");
  EXPECT_EQ(w.form->trycnNotify->BalloonTitle(), "Sylpwatch");
  EXPECT_EQ(w.form->VersionInfo().fProductName, "Sylpnote");
  EXPECT_TRUE(w.form->VersionInfo().fLegalTradeMark.empty());
}

TEST(SettingsInTheWindow, FirstRunCreatesTheFolderAndWritesTheIntervalAtClose) {
  Window w;
  const std::string folder = Folder(w.config);
  EXPECT_TRUE(QDir(QString::fromStdString(folder)).exists());
  EXPECT_EQ(w.form->GetIniFileName(), folder + "app_tests.ini");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(folder + "app_tests.ini")));
  EXPECT_EQ(w.cache_path, folder + "cache");  // given before the browser existed
  w.Start();
  w.form->close();
  EXPECT_EQ(ReadText(folder + "app_tests.ini"), "[Sylp]\nInterval=1\n");
}

TEST(SettingsInTheWindow, StoredValuesAreReadAndLimited) {
  struct Case {
    const char* stored;
    int shown;
    const char* written;
  };
  const Case cases[] = {
      {"[Sylp]\nInterval=45\n", 45, "Interval=45"}, {"[Sylp]\nInterval=500\n", 120, "Interval=120"},
      {"[Sylp]\nInterval=0\n", 1, "Interval=1"},    {"[Sylp]\nInterval=abc\n", 1, "Interval=1"},
      {"[sylp]\ninterval=30\n", 30, "=30"},  // names without regard to case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Window w({}, false, [&](const QTemporaryDir& config) {
      WriteFile(Folder(config) + "app_tests.ini", c.stored);
    });
    EXPECT_EQ(w.form->spedInterval->Value(), c.shown);
    EXPECT_EQ(w.form->tmrRefresh->interval(), c.shown * 60000);
    w.form->close();
    EXPECT_NE(ReadText(w.form->GetIniFileName()).find(c.written), std::string::npos)
        << ReadText(w.form->GetIniFileName());
  }
}

TEST(SettingsInTheWindow, OtherSectionsAndKeysAreKept) {
  const std::string stored = "; mine\n[Other]\nA=1\n\n[Sylp]\nKeep=yes\nInterval=15\n";
  Window w({}, false, [&](const QTemporaryDir& config) {
    WriteFile(Folder(config) + "app_tests.ini", stored);
  });
  w.form->spedInterval->SetValue(20);
  w.form->close();
  EXPECT_EQ(ReadText(w.form->GetIniFileName()),
            "; mine\n[Other]\nA=1\n\n[Sylp]\nKeep=yes\nInterval=20\n");
}

TEST(SettingsInTheWindow, AnotherExecutableNameGivesAnotherFileBesideTheSameCache) {
  Window w({}, false, nullptr, "/opt/somewhere/other");
  const std::string folder = Folder(w.config);
  EXPECT_EQ(w.form->GetIniFileName(), folder + "other.ini");
  EXPECT_EQ(w.cache_path, folder + "cache");
}

TEST(SettingsInTheWindow, AnUncreatableFolderLeavesTheProgramOnDefaults) {
  Window w({}, false, [](const QTemporaryDir& config) {
    // "Tarnel" is a file: the folder below it cannot exist.
    std::ofstream(config.path().toStdString() + "/Tarnel") << "in the way";
  });
  EXPECT_EQ(w.form->spedInterval->Value(), 1);
  w.Start();
  w.form->close();  // the write is lost, quietly
  EXPECT_FALSE(QFile::exists(QString::fromStdString(w.form->GetIniFileName())));
}

TEST(SettingsInTheWindow, ThumbnailExitClosesAndSaves) {
  Window w({}, /*with_taskbar=*/true);
  w.Start();
  w.form->spedInterval->SetValue(90);
  w.form->WMCommand((0x1800u << 16) | 1u);
  EXPECT_FALSE(w.form->isVisible());
  EXPECT_EQ(ReadText(w.form->GetIniFileName()), "[Sylp]\nInterval=90\n");
}

TEST(SettingsInTheWindow, ARestartKeepsAChangedInterval) {
  QTemporaryDir shared;
  std::string ini;
  {
    Window first({}, false, nullptr, "", &shared);
    first.form->spedInterval->SetValue(75);
    first.form->close();
    ini = first.form->GetIniFileName();
  }
  Window second({}, false, nullptr, "", &shared);
  EXPECT_EQ(second.form->GetIniFileName(), ini);
  EXPECT_EQ(second.form->spedInterval->Value(), 75);
}

}  // namespace
}  // namespace slp
