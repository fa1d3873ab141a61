#pragma once
// TfrmMain: the notifier's one window. It owns every component and all run-time state, and
// wires the plain rules of monitor/ and presentation/ to widgets, timers and the browser.

#include <QAction>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/core/settings_paths.h"
#include "app/core/version_info.h"
#include "monitor/addresses.h"
#include "monitor/load_tracking.h"
#include "platform/browser.h"
#include "platform/http/http_client.h"
#include "platform/os/nested_waits.h"
#include "platform/taskbar.h"
#include "platform/ui/anchors.h"
#include "presentation/taskbar_rules.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;

namespace slp {

class TSpinEdit;
class TTrayIcon;

class TfrmMain : public QMainWindow, private LoadEndHost {
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
    // The system's taskbar list; none on this system (the default).
    std::function<std::unique_ptr<Taskbar>()> acquireTaskbar = AcquireTaskbar;
    // Gives the browser engine its cache folder; called before the control is created.
    std::function<void(const std::string&)> setCachePath;
    // The running executable (its name names the settings file) and the environment that
    // "%appdata%" is expanded in.
    std::string executablePath = RunningExecutablePath();
    EnvironmentLookup environment = SystemEnvironment();
    // The user's temporary directory, ending in "/"; empty when there is none.
    std::function<std::string()> tempDirectory;
    // The updater program's bytes, as the notifier carries it; empty when it cannot be had.
    std::function<std::string()> updaterProgram;
    // Whether a running process's executable is this file.
    std::function<bool(const std::string& path)> isProcessRunning;
    // Starts `program` in `folder` with the parameter text `parameters`, not waiting for it;
    // the new process's id, or -1 when it could not be started.
    std::function<long long(const std::string& program, const std::string& parameters,
                            const std::string& folder)>
        shellOpen;
    // The version check's client: no redirects, a small reply, no endless wait.
    HttpSettings versionCheck{.followRedirects = false,
                              .connectTimeoutMs = 120000,
                              .stallTimeoutMs = 120000,
                              .maxBodyBytes = 64 * 1024};
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
  QTimer* tmrHide = nullptr;  // the delayed hide of "&Hide Sylp"
  TTrayIcon* trycnNotify = nullptr;
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
  std::unique_ptr<HttpClient> idhtpClient;

  // Read-only views of the private fields, for the program's entry and tests.
  Chromium* Browser() const { return chrmGooglePlus.get(); }
  bool AuthentificationProcess() const { return bAuthentificationProcess; }
  const std::string& LastTime() const { return sLastTime; }
  const std::string& LastNotif() const { return sLastNotif; }
  WindowState LastState() const { return wsLastState; }
  const TFileVersionInfo& VersionInfo() const { return fviInfos; }
  // The settings file's path, built (and its folder made) on the first call.
  const std::string& GetIniFileName();

  // Attention.
  void NotifyChange(const QString& text, const QString& line);
  void ClearAttention();

  // A command from the taskbar's thumbnail buttons (WM_COMMAND's wParam).
  void WMCommand(std::uint32_t wParam);

  // Every way of showing the window brings a released page back first.
  void setVisible(bool visible) override;

 signals:
  // The user accepted the update question.
  void updateStarted();

 public:
  // The design size of the client area at 96 dpi.
  static constexpr QSize kDesignClient{635, 348};

 protected:
  bool event(QEvent* event) override;
  void customEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void CreateComponents();
  void FormCreate();
  void WMDeferredStart();
  void FormClose();
  void FormDestroy();
  void LoadSettings();
  void SaveSettings();

  // Load tracking (the browser's load-end event).
  void chrmGooglePlusLoadEnd(Chromium* Sender, CefBrowser* browser, CefFrame* frame,
                             int httpStatusCode, bool& Result);
  bool IsRefreshCheckEnabled() override;
  void ArriveOnStream() override;
  void CheckPage() override;
  bool CheckPageAndTell();

  // Attention and presentation.
  void tmrOverlayTimer();
  void aplctnvnts1Activate();
  void trycnNotifyClick();
  void trycnNotifyDblClick();
  void trycnNotifyBalloonClick();
  void pmSystrayPopup();
  void miShowClick();
  void miHideClick();
  void AskForUpdate();
  void StartUpdate();
  bool RemoveUpdater();
  void tmrRemoveUpdaterTimer();
  std::string TempDirectory();  // the user's, ending in "/"; empty when there is none
  void BringToFront();

  // Refresh scheduling.
  void spedIntervalChange();
  void chkRefreshClick();
  void tmrRefreshTimer();
  void bbtnNavigateRootClick();
  void RefreshPage();
  void ReloadPage();
  // Releases the page once what runs now has ended, if nobody sees it then.
  void ReleasePageLater();

  // Version check: asks the version service and announces a differing answer; `then` runs
  // once the answer has been handled (at once when no check could start).
  void CheckForUpdate(std::function<void()> then = nullptr);

  void miQuitClick();

  Setup setup_;
  AnchorLayout anchors_{kDesignClient};

  // Private fields.
  std::unique_ptr<Chromium> chrmGooglePlus;
  bool bAuthentificationProcess = false;
  std::string sLastTime;
  std::string sLastNotif;
  std::string sIniFile;
  TFileVersionInfo fviInfos;
  std::optional<SettingsPaths> settingsPaths_;
  // tbl and tbl3 of the system are one interface here; empty where there is no taskbar.
  std::unique_ptr<Taskbar> tbl3;
  WindowState wsLastState = WindowState::Normal;
  int imglOverlayTag = 0;  // index of the next overlay frame
  // Load ends, refreshes, closing, the update question and timer restarts wait for a page
  // check that reads the source in a nested loop; they run once it has ended.
  NestedWaits waits_;
  // The update question or the hand-off's warning is open: a second click on the balloon asks
  // nothing more.
  bool questionOpen_ = false;
  enum : NestedWaits::Key {
    kDeferredClose = 1,
    kDeferredTimer,
    kDeferredQuestion,
    kDeferredRelease,
    kDeferredRefresh,
    kDeferredReload
  };
  std::vector<IconHandle> overlayHandles_;
};

}  // namespace slp
