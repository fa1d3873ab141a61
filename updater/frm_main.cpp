#include "updater/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <climits>

#include "locale/qt/translate_component.h"
#include "platform/os/embedded.h"
#include "platform/os/guid.h"
#include "platform/os/spawn.h"
#include "platform/os/temp_directory.h"
#include "platform/ui/anchors.h"
#include "platform/ui/animate.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/private_message.h"
#include "updater/core/texts.h"
#include "updater/translate.h"

namespace slp::renewer {

namespace {

// A timer's Enabled property: enabling a running timer leaves its interval running.
void SetEnabled(QTimer* timer) {
  if (!timer->isActive()) timer->start();
}

// Paths are bytes; they are shown in the system's file-name encoding.
QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

constexpr int kSnapBuffer = 8;

}  // namespace

// The window's side of a run: boxes, the download and the status line.
class TfrmMain::Host : public UpdateHost {
 public:
  explicit Host(TfrmMain& window) : w_(window) {}

  void ShowError(const char* message, const std::optional<std::string>& detail) override {
    QString text = Translate(message);
    if (detail) text += QStringLiteral("\r\n\r\n") + PathText(*detail);
    MessageDlg(&w_, text, DialogKind::Error, {ModalResult::Cancel});
  }
  Download DownloadFile(const std::string& url) override { return w_.DownloadFile(url); }
  bool AskRetryDownload() override {
    return MessageDlg(&w_, Translate(texts::kCannotDownload), DialogKind::Error,
                      {ModalResult::Abort, ModalResult::Retry}) == ModalResult::Retry;
  }
  bool AskRetryInUse(const std::string& target) override {
    const QString text = Translate(texts::kTargetUsed) + QStringLiteral("\r\n") + PathText(target) +
                         QStringLiteral("\r\n\r\n") + Translate(texts::kRetryQuestion);
    return MessageDlg(&w_, text, DialogKind::Confirmation,
                      {ModalResult::Abort, ModalResult::Retry}) == ModalResult::Retry;
  }
  void SetStatus(const char* status) override { w_.SetStatus(Translate(status)); }
  void Relaunch() override { w_.Relaunch(); }
  bool Abandoned() override { return w_.abandoned_; }

 private:
  TfrmMain& w_;
};

TfrmMain::Setup::Setup()
    : tempDirectory([] { return GetTempDirectory(); }),
      newGuid(NewGuidString),
      shellOpen(ShellOpen) {}

TfrmMain::TfrmMain(Setup setup) : setup_(std::move(setup)) {
  CreateComponents();
  FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateComponents() {
  setObjectName(QStringLiteral("frmMain"));
  // A title bar with the close box only; a window of its own on the taskbar.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromUtf8(texts::kCaption));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  QPalette face = client->palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  client->setPalette(face);
  client->setAutoFillBackground(true);
  client->setFixedSize(kDesignClient);
  setCentralWidget(client);
  setFixedSize(kDesignClient);
  if (QScreen* s = QGuiApplication::primaryScreen())
    move(s->availableGeometry().center() - rect().center());

  lblStatus = new QLabel(QString::fromUtf8(texts::kStarting), client);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setAlignment(Qt::AlignCenter);
  lblStatus->setGeometry(0, 0, 270, 17);

  aniDownloading = new TAnimate(client);
  aniDownloading->setObjectName(QStringLiteral("aniDownloading"));
  aniDownloading->setAccessibleName(QStringLiteral("Download animation"));
  aniDownloading->setGeometry(0, 22, 270, 60);
  aniDownloading->hide();

  pbDownload = new QProgressBar(client);
  pbDownload->setObjectName(QStringLiteral("pbDownload"));
  pbDownload->setAccessibleName(QStringLiteral("Download progress"));
  pbDownload->setGeometry(0, 81, 270, 17);
  pbDownload->setRange(0, 100);
  pbDownload->setValue(0);
  pbDownload->setTextVisible(false);

  btnRestart = new QPushButton(QString::fromUtf8(texts::kRestartButton), client);
  btnRestart->setObjectName(QStringLiteral("btnRestart"));
  btnRestart->setGeometry(68, 40, 135, 25);
  btnRestart->hide();

  HttpSettings http;
  http.followRedirects = true;
  idhtpDownload = std::make_unique<HttpClient>(http);
  idhtpDownload->OnWorkBegin = [this](std::int64_t max) { idhtpDownloadWorkBegin(max); };
  idhtpDownload->OnWork = [this](std::int64_t count) { idhtpDownloadWork(count); };
  idhtpDownload->OnWorkEnd = [this] { idhtpDownloadWorkEnd(); };

  tmrAutoClose = new QTimer(this);
  tmrAutoClose->setObjectName(QStringLiteral("tmrAutoClose"));
  tmrAutoClose->setInterval(3000);

  connect(btnRestart, &QPushButton::clicked, this, [this] { btnRestartClick(); });
  connect(tmrAutoClose, &QTimer::timeout, this, [this] { tmrAutoCloseTimer(); });
}

void TfrmMain::FormCreate() {
  // The window's texts in the user's language.
  TranslateComponent(this);
  aniDownloading->SetClip(FindEmbeddedResource("COPY"));
  const Switches switches = ReadSwitches(setup_.arguments);
  sUrl = switches.sUrl;
  sTarget = switches.sTarget;
  sCommandLine = switches.sCommandLine;
  bRestart = switches.bRestart;
  PostMessageToSelf(this, WM_START_UPDATE);
}

void TfrmMain::customEvent(QEvent* event) {
  if (event->type() == PrivateMessage::Type() &&
      static_cast<PrivateMessage*>(event)->Message() == WM_START_UPDATE) {
    WMStartUpdate();
    return;
  }
  QMainWindow::customEvent(event);
}

void TfrmMain::WMStartUpdate() {
  if (running_) return;
  running_ = true;
  Host host(*this);
  RunSettings settings;
  settings.tempDirectory = setup_.tempDirectory;
  settings.newGuid = setup_.newGuid;
  settings.faults = setup_.faults;
  lastRun_ = RunUpdate(Switches{sUrl, sTarget, sCommandLine, bRestart}, host, settings);
  running_ = false;
  ShowEndOfRun(lastRun_);
  emit RunEnded();
  if (abandoned_) close();
}

void TfrmMain::ShowEndOfRun(const RunResult& result) {
  if (result.succeeded) {
    SetStatus(Translate(texts::kSuccessful));
    SetEnabled(tmrAutoClose);
    return;
  }
  SetStatus(Translate(texts::kFailed));
  if (result.offerRestart) {
    btnRestart->setToolTip(PathText(sTarget));
    btnRestart->show();
  }
}

Download TfrmMain::DownloadFile(const std::string& url) {
  announced_ = -1;
  const QString status = lblStatus->text();
  HttpReply reply = idhtpDownload->GetAndWait(url);
  Download download;
  download.ok = reply.ok;
  download.body = std::move(reply.body);
  download.announced = announced_;
  download.error = std::move(reply.error);
  if (!IsCompleteDownload(download)) {
    // The end of the transfer showed it as done; a failed one must not stay shown so.
    SetStatus(status);
    pbDownload->setValue(pbDownload->minimum());
  }
  return download;
}

void TfrmMain::idhtpDownloadWorkBegin(std::int64_t AWorkCountMax) {
  announced_ = AWorkCountMax;
  progressShift_ = 0;
  if (AWorkCountMax < 0) {
    pbDownload->setRange(0, 0);  // nothing announced: the bar shows activity only
  } else {
    while ((AWorkCountMax >> progressShift_) > INT_MAX) ++progressShift_;
    pbDownload->setMaximum(static_cast<int>(AWorkCountMax >> progressShift_));
  }
  aniDownloading->show();
  aniDownloading->Play(1, aniDownloading->FrameCount(), 0);
}

void TfrmMain::idhtpDownloadWork(std::int64_t AWorkCount) {
  if (pbDownload->maximum() > 0)
    pbDownload->setValue(static_cast<int>(
        std::min<std::int64_t>(AWorkCount >> progressShift_, pbDownload->maximum())));
}

void TfrmMain::idhtpDownloadWorkEnd() {
  aniDownloading->Stop();
  aniDownloading->Seek(kStillFrame);
  if (pbDownload->maximum() == 0) pbDownload->setRange(0, 1);
  pbDownload->setValue(pbDownload->maximum());
  SetStatus(Translate(texts::kDownloadSuccessful));
  // Painted now, before the run goes on with its files.
  QCoreApplication::processEvents();
}

void TfrmMain::Relaunch() {
  const std::string folder = TargetFolder(sTarget);
  setup_.shellOpen(sTarget.substr(folder.size()), sCommandLine, folder);
  SetStatus(Translate(texts::kRelaunched));
}

void TfrmMain::btnRestartClick() {
  Relaunch();
  SetEnabled(tmrAutoClose);
}

void TfrmMain::tmrAutoCloseTimer() { close(); }

void TfrmMain::SetStatus(const QString& text) {
  lblStatus->setText(text);
  emit StatusShown(text);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run is inside a wait or a box: the transfer stops, the run ends at its next step
    // leaving the target as it is, and closes the window then.
    abandoned_ = true;
    idhtpDownload->Cancel();
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TfrmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (!isVisible()) return;
  if (QScreen* s = screen()) {
    const QPoint snapped = SnapToEdges(frameGeometry(), s->availableGeometry(), kSnapBuffer);
    if (snapped != frameGeometry().topLeft()) move(snapped);
  }
}

void ApplyApplicationTitle() {
  QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
}

}  // namespace slp::renewer
