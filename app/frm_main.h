#pragma once
// TfrmMain: the notifier's one window. It owns every component and all run-time state, and
// wires the plain rules of monitor/ and presentation/ to widgets, timers and the browser.

#include <QAction>
#include <QIcon>
#include <QList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "monitor/addresses.h"
#include "monitor/load_tracking.h"
#include "platform/browser.h"
#include "platform/ui/anchors.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QSystemTrayIcon;
class QTimer;

namespace slp {

class TSpinEdit;

class TfrmMain : public QWidget, private LoadEndHost {
  Q_OBJECT

 public:
  // Private window messages (WM_USER + n), posted to the window itself.
  static constexpr int WM_DEFERRED_START = 1025;

  using ChromiumFactory = std::function<std::unique_ptr<Chromium>(QWidget* parent)>;

  // What the window takes from its surroundings.
  struct Setup {
    Addresses addresses;
    ChromiumFactory createChromium;
    std::vector<std::string> arguments;  // the command line after the program's path
  };

  explicit TfrmMain(Setup setup);
  ~TfrmMain() override;

  // Components, by their names.
  QWidget* pnlBrowser = nullptr;
  QPushButton* bbtnNavigateRoot = nullptr;
  QLabel* lblLastUpdates = nullptr;
  QPlainTextEdit* mmoSource = nullptr;
  QCheckBox* chkRefresh = nullptr;
  QLabel* lblInterval = nullptr;
  TSpinEdit* spedInterval = nullptr;
  QStatusBar* stb1 = nullptr;
  QLabel* stb1Text = nullptr;  // the status bar's simple text
  QTimer* tmrRefresh = nullptr;
  QTimer* tmrOverlay = nullptr;
  QTimer* tmrRemoveUpdater = nullptr;
  QSystemTrayIcon* trycnNotify = nullptr;
  QList<QIcon> imglIcons;
  QList<QIcon> imglSystray;
  QList<QIcon> imglOverlay;
  QMenu* pmSystray = nullptr;
  QAction* miRefresh = nullptr;
  QAction* miN2 = nullptr;
  QAction* miShow = nullptr;
  QAction* miHide = nullptr;
  QAction* miN1 = nullptr;
  QAction* miQuit = nullptr;

  // Read-only views of the private fields, for the program's entry and tests.
  Chromium* Browser() const { return chrmGooglePlus.get(); }
  bool AuthentificationProcess() const { return bAuthentificationProcess; }
  const std::string& LastTime() const { return sLastTime; }
  const std::string& LastNotif() const { return sLastNotif; }
  Qt::WindowState LastState() const { return wsLastState; }

  // The design size of the client area at 96 dpi.
  static constexpr QSize kDesignClient{635, 348};

 protected:
  bool event(QEvent* event) override;
  void customEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void CreateComponents();
  void FormCreate();
  void WMDeferredStart();
  void FormClose();
  void FormDestroy();

  // Load tracking (the browser's load-end event).
  void chrmGooglePlusLoadEnd(Chromium* Sender, CefBrowser* browser, CefFrame* frame,
                             int httpStatusCode, bool& Result);
  bool IsRefreshCheckEnabled() override;
  void ArriveOnStream() override;
  void CheckPage() override;

  // Refresh scheduling.
  void spedIntervalChange();
  void chkRefreshClick();
  void tmrRefreshTimer();
  void bbtnNavigateRootClick();
  void RefreshPage();
  void ReloadPage();

  void miQuitClick();

  Setup setup_;
  AnchorLayout anchors_{kDesignClient};

  // Private fields.
  std::unique_ptr<Chromium> chrmGooglePlus;
  bool bAuthentificationProcess = false;
  std::string sLastTime;
  std::string sLastNotif;
  std::string sIniFile;
  Qt::WindowState wsLastState = Qt::WindowNoState;
};

}  // namespace slp
