// The updater's window as it is created, and the runs that its switches stop at once.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "platform/os/version_block.h"
#include "platform/ui/animate.h"
#include "updater/core/texts.h"
#include "updater_fixture.h"

namespace slp::renewer {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::Updater;
using testing::WaitFor;
using testing::WriteText;

QRect Geometry(QWidget* w) { return w->geometry(); }

TEST(UpdaterWindow, ComponentsAsDesigned) {
  Updater u;
  u.Create({});
  TfrmMain& f = *u.form;
  EXPECT_EQ(f.windowTitle(), "Update");
  EXPECT_EQ(f.centralWidget()->size(), QSize(270, 98));
  EXPECT_EQ(f.size(), QSize(270, 98));
  EXPECT_EQ(f.minimumSize(), f.maximumSize());  // not resizable
  EXPECT_EQ(f.font().family(), "Tahoma");
  EXPECT_EQ(f.font().pixelSize(), 11);
  // A title bar with the close box only, and a window of its own (not a tool window, which
  // would keep it off the taskbar).
  const Qt::WindowFlags flags = f.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    EXPECT_LE((f.geometry().center() - s->availableGeometry().center()).manhattanLength(), 2);
  }

  EXPECT_EQ(f.lblStatus->objectName(), "lblStatus");
  EXPECT_EQ(Geometry(f.lblStatus), QRect(0, 0, 270, 17));
  EXPECT_EQ(f.lblStatus->text(), "The update is starting...");
  EXPECT_EQ(f.lblStatus->alignment(), Qt::AlignCenter);

  EXPECT_EQ(f.aniDownloading->objectName(), "aniDownloading");
  EXPECT_EQ(Geometry(f.aniDownloading), QRect(0, 22, 270, 60));
  EXPECT_TRUE(f.aniDownloading->isHidden());
  EXPECT_FALSE(f.aniDownloading->Active());
  // The clip "COPY": 69 frames of 270 x 60 at 10 frames per second.
  EXPECT_EQ(f.aniDownloading->FrameCount(), 69);
  EXPECT_EQ(f.aniDownloading->sizeHint(), QSize(270, 60));
  EXPECT_EQ(f.aniDownloading->FrameInterval(), 100);

  EXPECT_EQ(f.pbDownload->objectName(), "pbDownload");
  EXPECT_EQ(Geometry(f.pbDownload), QRect(0, 81, 270, 17));
  EXPECT_EQ(f.pbDownload->value(), 0);
  EXPECT_EQ(f.pbDownload->maximum(), 100);

  EXPECT_EQ(f.btnRestart->objectName(), "btnRestart");
  EXPECT_EQ(Geometry(f.btnRestart), QRect(68, 40, 135, 25));
  EXPECT_TRUE(f.btnRestart->isHidden());
  EXPECT_EQ(f.btnRestart->text(), "&Restart the application");

  EXPECT_EQ(f.tmrAutoClose->objectName(), "tmrAutoClose");
  EXPECT_EQ(f.tmrAutoClose->interval(), 3000);
  EXPECT_FALSE(f.tmrAutoClose->isActive());
}

TEST(UpdaterWindow, ScreenReadersSeeAWindowAndNamedControls) {
  Updater u;
  u.Create({});
  TfrmMain& f = *u.form;
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&f);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->role(), QAccessible::Window);
  const std::pair<QWidget*, QString> controls[] = {
      {f.lblStatus, "The update is starting..."},
      {f.aniDownloading, "Download animation"},
      {f.pbDownload, "Download progress"},
      {f.btnRestart, "Restart the application"},
  };
  for (const auto& [widget, name] : controls) {
    SCOPED_TRACE(widget->objectName().toStdString());
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), name);
  }
}

TEST(UpdaterWindow, TheSwitchesAreReadAtCreation) {
  Updater u;
  u.Create(testing::HandOff("http://h/x", "/opt/my apps/slp", true, "\"a b\" /updated"));
  EXPECT_EQ(u.form->Url(), "http://h/x");
  EXPECT_EQ(u.form->Target(), "/opt/my apps/slp");
  EXPECT_EQ(u.form->CommandLine(), "\"a b\" /updated");
  EXPECT_TRUE(u.form->Restart());
  EXPECT_TRUE(u.statuses.empty());  // nothing runs before the event loop delivers the message
  EXPECT_FALSE(u.form->Running());
}

TEST(UpdaterWindow, ApplicationTitle) {
  const QString before = QCoreApplication::applicationName();
  ApplyApplicationTitle();
  EXPECT_EQ(QCoreApplication::applicationName(), QString::fromUtf8("Mise à jour"));
  QCoreApplication::setApplicationName(before);
}

// Every wrong set of switches ends in one error box with a single Cancel, then the failed
// state; the restart button only when a file stands at the target path.
TEST(UpdaterWindow, ValidationFailures) {
  Updater u;
  WriteText(u.App("slp"), "old");
  WriteText(u.App("file"), "not a folder");
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    QString text;
    bool button;
  } const cases[] = {
      {"no arguments", {}, "An URL and a path for the file has to be defined!", false},
      {"only the target", {"/target=" + u.App("slp")}, "A URL has to be defined!", true},
      {"url value taken by a switch",
       {"/url=", "/target=" + u.App("slp")},
       "A URL has to be defined!",
       true},
      {"only the url",
       {"-URL=http://127.0.0.1:1/x"},
       "A path for the file has to be defined!",
       false},
      {"bare file name",
       {"/url=http://127.0.0.1:1/x", "/target=slp.exe"},
       "The folder to store the file cannot be created!\r\n\r\n",
       false},
      {"folder under a file",
       {"/url=http://127.0.0.1:1/x", "/target=" + u.App("file/sub/slp")},
       "The folder to store the file cannot be created!\r\n\r\n" +
           QString::fromStdString(u.App("file/sub/")),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Updater run;
    Dialogs::SetNextAnswer(ModalResult::Cancel);
    run.Run(c.arguments);
    const auto& box = Dialogs::LastDialog();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, c.text);
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    EXPECT_EQ(box->buttons, std::vector<ModalResult>{ModalResult::Cancel});
    EXPECT_EQ(run.form->lblStatus->text(), "The update has failed");
    EXPECT_EQ(run.form->btnRestart->isVisible(), c.button);
    if (c.button) {
      EXPECT_EQ(run.form->btnRestart->toolTip(), QString::fromStdString(u.App("slp")));
    }
    EXPECT_FALSE(run.form->tmrAutoClose->isActive());
    EXPECT_TRUE(run.form->isVisible());  // a failed run waits for the user
    EXPECT_EQ(run.guids, 0);
  }
  EXPECT_EQ(ReadText(u.App("slp")), "old");
}

TEST(UpdaterWindow, SnapsToTheScreenEdges) {
  Updater u;
  u.Create({});
  u.form->show();
  QScreen* s = u.form->screen();
  ASSERT_NE(s, nullptr);
  const QRect screen = s->availableGeometry();
  u.form->move(screen.left() + 9, screen.top() + 40);
  EXPECT_TRUE(WaitFor([&] { return u.form->frameGeometry().left() == screen.left() + 9; }));
  u.form->move(screen.left() + 6, screen.top() + 40);
  EXPECT_TRUE(WaitFor([&] { return u.form->frameGeometry().left() == screen.left(); }))
      << u.form->frameGeometry().left();
}

// The executable carries its version block: French, Windows Latin 1.
TEST(RenewerExecutable, VersionBlock) {
  std::ifstream in(SLP_RENEWER_BINARY, std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  const ByteView block = FindVersionBlock(file);
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(QueryTranslations(block), (std::vector<VersionTranslation>{{0x040C, 1252}}));
  const std::pair<const char*, const char*> strings[] = {
      {"FileDescription", "Updater"},      {"Comments", "Updater"},
      {"InternalName", "Renewer"},         {"ProductName", "Renewer"},
      {"OriginalFilename", "Renewer.exe"}, {"FileVersion", "1.2.0.7"},
      {"ProductVersion", "1.2"},           {"CompanyName", "Tarnel ©"},
      {"LegalCopyright", "Tarnel ©"},      {"LegalTrademarks", "Tarnel ©"},
  };
  for (const auto& [key, value] : strings)
    EXPECT_EQ(QueryVersionString(block, std::string("\\StringFileInfo\\040C04E4\\") + key), value)
        << key;
}

}  // namespace
}  // namespace slp::renewer
