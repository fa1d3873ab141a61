#pragma once
// TfrmMain: the updater's one window. It reads the switches, runs the update (updater/core)
// when the event loop first delivers its private message, and shows the progress and the
// end of the run.

#include <QMainWindow>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/http/http_client.h"
#include "platform/os/file_replace.h"
#include "updater/core/switches.h"
#include "updater/core/update_run.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace slp {
class TAnimate;
}

namespace slp::renewer {

class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  // Private window message (WM_USER + 1), posted to the window itself.
  static constexpr int WM_START_UPDATE = 1025;
  // The frame shown still once the download has ended, counted from 1.
  static constexpr int kStillFrame = 67;

  using ShellOpenFunction = std::function<long long(
      const std::string& file, const std::string& parameters, const std::string& directory)>;

  // What the window takes from its surroundings; the defaults are the system's.
  struct Setup {
    std::vector<std::string> arguments;  // the arguments searched for switches
    std::function<std::string()> tempDirectory;
    std::function<std::string()> newGuid;
    ShellOpenFunction shellOpen;
    FileFaults faults;  // tests only
    Setup();
  };

  explicit TfrmMain(Setup setup);
  ~TfrmMain() override;

  // Components, by their names.
  QLabel* lblStatus = nullptr;
  TAnimate* aniDownloading = nullptr;
  QProgressBar* pbDownload = nullptr;
  QPushButton* btnRestart = nullptr;
  std::unique_ptr<HttpClient> idhtpDownload;
  QTimer* tmrAutoClose = nullptr;

  // Read-only views of the private fields.
  const std::string& Url() const { return sUrl; }
  const std::string& Target() const { return sTarget; }
  const std::string& CommandLine() const { return sCommandLine; }
  bool Restart() const { return bRestart; }
  // The last run's outcome; empty before the run ends.
  const RunResult& LastRun() const { return lastRun_; }
  bool Running() const { return running_; }

  // The client area at 96 dpi.
  static constexpr QSize kDesignClient{270, 98};

 signals:
  // WMStartUpdate has returned.
  void RunEnded();
  // The status line shows `text`.
  void StatusShown(const QString& text);

 protected:
  void customEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  class Host;

  void CreateComponents();
  void FormCreate();
  void WMStartUpdate();
  void idhtpDownloadWorkBegin(std::int64_t AWorkCountMax);
  void idhtpDownloadWork(std::int64_t AWorkCount);
  void idhtpDownloadWorkEnd();
  void Relaunch();
  void btnRestartClick();
  void tmrAutoCloseTimer();
  void ShowEndOfRun(const RunResult& result);
  void SetStatus(const QString& text);
  Download DownloadFile(const std::string& url);

  Setup setup_;
  std::string sUrl;
  std::string sTarget;
  std::string sCommandLine;
  bool bRestart = false;

  bool running_ = false;
  bool abandoned_ = false;  // the user closed the window while the run went on
  RunResult lastRun_;
  // Progress in the bar's int range: byte counts shifted right by this much.
  int progressShift_ = 0;
  std::int64_t announced_ = -1;
};

// The application's title, a fixed text that is never translated.
inline constexpr char kApplicationTitle[] = "Mise à jour";
void ApplyApplicationTitle();

}  // namespace slp::renewer
