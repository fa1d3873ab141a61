#include "app/frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <algorithm>
#include <ctime>

#include "locale/qt/translate_component.h"
#include "locale/translator.h"
#include "monitor/page_analysis.h"
#include "monitor/page_release.h"
#include "platform/os/command_line.h"
#include "platform/os/folders.h"
#include "platform/os/long_time.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/private_message.h"
#include "platform/ui/spin_edit.h"
#include "platform/ui/tray_icon.h"
#include "resources/icons.h"
#include "update/hand_off.h"
#include "update/version_check.h"

namespace slp {

namespace {

// A timer's Enabled property: enabling a running timer leaves its interval running.
void SetEnabled(QTimer* timer, bool enabled) {
  if (!enabled)
    timer->stop();
  else if (!timer->isActive())
    timer->start();
}

QTimer* MakeTimer(QObject* owner, const char* name, int interval) {
  auto* timer = new QTimer(owner);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setInterval(interval);
  return timer;
}

// Longest interval a timer can hold, in minutes.
constexpr int kMaxTimerMinutes = std::numeric_limits<int>::max() / 60000;

}  // namespace

TfrmMain::TfrmMain(Setup setup)
    : setup_(std::move(setup)), waits_([this](std::function<void()> work) {
        // From a timer of the loop: a check started inside a posted event may never get the
        // engine's answer to its source request.
        QTimer::singleShot(0, this, std::move(work));
      }) {
  CreateComponents();
  FormCreate();
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::CreateComponents() {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Sylp"));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);
  resize(kDesignClient);
  setMinimumSize(200, 200);
  if (QScreen* s = QGuiApplication::primaryScreen())
    move(s->availableGeometry().center() - rect().center());

  pnlBrowser = new QWidget(this);
  pnlBrowser->setObjectName(QStringLiteral("pnlBrowser"));
  pnlBrowser->setAccessibleName(QStringLiteral("Stream"));
  anchors_.Place(pnlBrowser, {8, 8, 505, 318}, akLeft | akTop | akRight | akBottom);

  bbtnNavigateRoot = new QPushButton(QStringLiteral("Go to G+"), this);
  bbtnNavigateRoot->setObjectName(QStringLiteral("bbtnNavigateRoot"));
  bbtnNavigateRoot->setIcon(icons::NavigateGlyph());
  bbtnNavigateRoot->setIconSize({16, 16});
  anchors_.Place(bbtnNavigateRoot, {519, 8, 108, 25}, akTop | akRight);

  lblLastUpdates = new QLabel(QStringLiteral("Last updates:"), this);
  lblLastUpdates->setObjectName(QStringLiteral("lblLastUpdates"));
  anchors_.Place(lblLastUpdates, {519, 39, 108, 13}, akTop | akRight);

  mmoSource = new QPlainTextEdit(this);
  mmoSource->setObjectName(QStringLiteral("mmoSource"));
  mmoSource->setReadOnly(true);
  mmoSource->setEnabled(false);
  mmoSource->setLineWrapMode(QPlainTextEdit::NoWrap);
  lblLastUpdates->setBuddy(mmoSource);
  anchors_.Place(mmoSource, {519, 55, 108, 209}, akTop | akRight | akBottom);

  chkRefresh = new QCheckBox(QStringLiteral("Check G+:"), this);
  chkRefresh->setObjectName(QStringLiteral("chkRefresh"));
  chkRefresh->setLayoutDirection(Qt::RightToLeft);  // text left of the box
  chkRefresh->setToolTip(QStringLiteral("Refresh the page using the interval below when checked"));
  chkRefresh->setStatusTip(chkRefresh->toolTip());
  chkRefresh->setEnabled(false);
  chkRefresh->setChecked(false);
  anchors_.Place(chkRefresh, {519, 270, 108, 17}, akRight | akBottom);

  lblInterval = new QLabel(QStringLiteral("Interval:"), this);
  lblInterval->setObjectName(QStringLiteral("lblInterval"));
  anchors_.Place(lblInterval, {519, 289, 108, 13}, akRight | akBottom);

  spedInterval = new TSpinEdit(this);
  spedInterval->setObjectName(QStringLiteral("spedInterval"));
  spedInterval->SetRange(1, 120);
  spedInterval->SetIncrement(15);
  spedInterval->SetValue(1);
  spedInterval->setToolTip(QStringLiteral("(minutes)"));
  spedInterval->setStatusTip(spedInterval->toolTip());
  lblInterval->setBuddy(spedInterval);
  anchors_.Place(spedInterval, {519, 304, 108, 22}, akRight | akBottom);

  stb1 = new QStatusBar(this);
  stb1->setObjectName(QStringLiteral("stb1"));
  // The simple text stays under the hints, which show over it while the mouse rests on a
  // control that has one.
  stb1Text = new QLabel(stb1);
  stb1Text->setObjectName(QStringLiteral("stb1Text"));
  stb1->addWidget(stb1Text, 1);
  anchors_.Place(stb1, {0, kDesignClient.height() - 19, kDesignClient.width(), 19},
                 akLeft | akRight | akBottom);

  tmrRefresh = MakeTimer(this, "tmrRefresh", 15000);
  tmrOverlay = MakeTimer(this, "tmrOverlay", 1000);
  tmrRemoveUpdater = MakeTimer(this, "tmrRemoveUpdater", 1000);
  tmrHide = MakeTimer(this, "tmrHide", 500);
  tmrHide->setSingleShot(true);

  imglIcons = icons::TrayFrames();
  imglSystray = icons::SystrayImages();
  imglOverlay = icons::OverlayFrames();

  pmSystray = new QMenu(this);
  pmSystray->setObjectName(QStringLiteral("pmSystray"));
  auto item = [this](const char* name, const char* caption, int image) {
    QAction* action = pmSystray->addAction(imglSystray.value(image), QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  miRefresh = item("miRefresh", "&Refresh", 3);
  miN2 = pmSystray->addSeparator();
  miN2->setObjectName(QStringLiteral("miN2"));
  miShow = item("miShow", "&Show Sylp", 0);
  miHide = item("miHide", "&Hide Sylp", 1);
  pmSystray->setDefaultAction(miHide);
  miN1 = pmSystray->addSeparator();
  miN1->setObjectName(QStringLiteral("miN1"));
  miQuit = item("miQuit", "&Exit", 2);

  trycnNotify = new TTrayIcon(this);
  trycnNotify->setObjectName(QStringLiteral("trycnNotify"));
  trycnNotify->SetIcons(imglIcons);
  trycnNotify->SetAnimateInterval(1000);
  trycnNotify->SetHint(QStringLiteral("Sylp"));
  trycnNotify->SetBalloonTitle(QStringLiteral("Sylp"));
  trycnNotify->SetBalloonTimeout(30000);
  trycnNotify->SetBalloonFlags(QSystemTrayIcon::Information);
  trycnNotify->SetPopupMenu(pmSystray);
  for (const QIcon& frame : imglOverlay) overlayHandles_.push_back(&frame);

  idhtpClient = std::make_unique<HttpClient>(setup_.versionCheck);

  connect(bbtnNavigateRoot, &QPushButton::clicked, this, [this] { bbtnNavigateRootClick(); });
  connect(chkRefresh, &QCheckBox::toggled, this, [this] { chkRefreshClick(); });
  connect(spedInterval, &TSpinEdit::Change, this, [this] { spedIntervalChange(); });
  connect(tmrRefresh, &QTimer::timeout, this, [this] { tmrRefreshTimer(); });
  connect(tmrOverlay, &QTimer::timeout, this, [this] { tmrOverlayTimer(); });
  connect(tmrRemoveUpdater, &QTimer::timeout, this, [this] { tmrRemoveUpdaterTimer(); });
  connect(tmrHide, &QTimer::timeout, this, [this] {
    if (windowState() & Qt::WindowMinimized) hide();
  });
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive) aplctnvnts1Activate();
  });
  connect(trycnNotify, &TTrayIcon::Click, this, [this] { trycnNotifyClick(); });
  connect(trycnNotify, &TTrayIcon::DblClick, this, [this] { trycnNotifyDblClick(); });
  connect(trycnNotify, &TTrayIcon::BalloonClick, this, [this] { trycnNotifyBalloonClick(); });
  connect(trycnNotify, &TTrayIcon::MenuPopup, this, [this] { pmSystrayPopup(); });
  connect(miRefresh, &QAction::triggered, this, [this] { ReloadPage(); });
  connect(miShow, &QAction::triggered, this, [this] { miShowClick(); });
  connect(miHide, &QAction::triggered, this, [this] { miHideClick(); });
  connect(miQuit, &QAction::triggered, this, [this] { miQuitClick(); });
}

void TfrmMain::FormCreate() {
  // 1. The window's own texts in the user's language; the browser, made below, is not touched.
  TranslateComponent(this);
  // 2. Load tracking and analysis start from nothing.
  bAuthentificationProcess = false;
  sLastTime.clear();
  // 3. Who we are, from the executable's own version information.
  ReadVersionInfo("", fviInfos);
  // 4. The name for the caption, the tray hint and the balloons.
  const QString name = QString::fromStdString(fviInfos.fOriginalFileName);
  setWindowTitle(name + QStringLiteral(" v") + QString::fromStdString(fviInfos.fFileVersion));
  trycnNotify->SetHint(name);
  trycnNotify->SetBalloonTitle(name);
  // 5. Settings, then the interval applied once as if the user had changed it.
  LoadSettings();
  spedIntervalChange();
  // 6. The engine's cache lives beside the settings file.
  if (setup_.setCachePath) setup_.setCachePath(BrowserCacheFolder(GetIniFileName()));
  // 7. The browser control, filling its panel.
  chrmGooglePlus = setup_.createChromium(pnlBrowser);
  // Options: no application cache, which the engine no longer has (platform/browser.h).
  chrmGooglePlus->OnLoadEnd = [this](Chromium* sender, CefBrowser* browser, CefFrame* frame,
                                     int status, bool& result) {
    chrmGooglePlusLoadEnd(sender, browser, frame, status, result);
  };
  // 8. The taskbar, where the system has one, and its clicks let through.
  tbl3 = setup_.acquireTaskbar ? setup_.acquireTaskbar() : nullptr;
  if (tbl3) ChangeWindowMessageFilter(kWmCommand, kMsgfltAdd);
  // An updater left from the last update goes as soon as it has ended.
  tmrRemoveUpdater->start();
  // 9. The rest waits until the window is shown and the loop runs.
  trycnNotify->SetVisible(true);
  PostMessageToSelf(this, WM_DEFERRED_START);
}

void TfrmMain::customEvent(QEvent* event) {
  if (event->type() == PrivateMessage::Type() &&
      static_cast<PrivateMessage*>(event)->Message() == WM_DEFERRED_START) {
    WMDeferredStart();
    return;
  }
  QMainWindow::customEvent(event);
}

void TfrmMain::WMDeferredStart() {
  chrmGooglePlus->Browser()->get_main_frame()->load_url(setup_.addresses.StreamUrl);
  if (tbl3)
    InstallThumbBar(tbl3.get(), static_cast<WindowId>(winId()), &imglSystray,
                    gettext(QStringLiteral("Refresh")).toStdString(),
                    gettext(QStringLiteral("Exit")).toStdString());
  wsLastState =
      (windowState() & Qt::WindowMaximized) ? WindowState::Maximized : WindowState::Normal;
  // The greeting after an update comes once the check has been answered, as after a check
  // that waited for its answer.
  CheckForUpdate([this] {
    if (setup_.arguments.size() == 1 && setup_.arguments[0] == "/updated") {
      trycnNotify->SetBalloonHint(trycnNotify->BalloonTitle() + QStringLiteral(" ") +
                                  gettext(QStringLiteral("has been updated!")));
      trycnNotify->SetTag(0);
      trycnNotify->ShowBalloonHint();
    }
  });
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  // Closed while a check waits for the page: the window ends once the check is done.
  if (waits_.Busy()) {
    event->ignore();
    waits_.RunOrDefer([this] { close(); }, kDeferredClose);
    return;
  }
  FormClose();
  event->accept();
  QApplication::quit();
}

void TfrmMain::FormClose() { SaveSettings(); }

const std::string& TfrmMain::GetIniFileName() {
  if (!settingsPaths_) {
    settingsPaths_.emplace(fviInfos.fProductName, setup_.executablePath, setup_.environment);
    sIniFile = settingsPaths_->GetIniFileName();
  }
  return sIniFile;
}

void TfrmMain::LoadSettings() {
  spedInterval->SetValue(ReadIntervalSetting(GetIniFileName(), spedInterval->Value()));
}

void TfrmMain::SaveSettings() { WriteIntervalSetting(GetIniFileName(), spedInterval->Value()); }

void TfrmMain::FormDestroy() {
  tmrRefresh->stop();
  chrmGooglePlus.reset();
}

bool TfrmMain::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    if (tip.isEmpty())
      stb1->clearMessage();
    else
      stb1->showMessage(tip);
    return true;
  }
  return QMainWindow::event(event);
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  anchors_.Apply(size());
  QMainWindow::resizeEvent(event);
}

void TfrmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (!isVisible() || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) return;
  if (QScreen* s = screen()) {
    const QPoint snapped = SnapToEdges(frameGeometry(), s->availableGeometry(), 16);
    if (snapped != frameGeometry().topLeft()) move(snapped);
  }
}

// --- Load tracking --------------------------------------------------------------------

void TfrmMain::chrmGooglePlusLoadEnd(Chromium*, CefBrowser*, CefFrame*, int, bool&) {
  // A load end during a check is handled after it, each one in turn.
  waits_.RunOrDefer([this] {
    TrackLoadEnd(*chrmGooglePlus, setup_.addresses, bAuthentificationProcess, *this);
    ReleasePageLater();
  });
}

bool TfrmMain::IsRefreshCheckEnabled() { return chkRefresh->isEnabled(); }

void TfrmMain::ArriveOnStream() {
  chkRefresh->setEnabled(true);
  chkRefresh->setChecked(true);
  SetEnabled(tmrRefresh, true);
}

void TfrmMain::CheckPage() { CheckPageAndTell(); }

bool TfrmMain::CheckPageAndTell() {
  CefBrowser* browser = chrmGooglePlus->Browser();
  if (browser == nullptr) return false;
  if (!chkRefresh->isChecked()) return false;
  // No refresh may start while the page is read and compared, and nothing that reading
  // lets through may start another check meanwhile.
  const NestedWaits::Scope waiting(waits_);
  tmrRefresh->stop();
  CefFrame* frame = browser->get_main_frame();
  browser->set_focus(true);
  const std::string source = frame->get_source();
  const Change change = DetectChange(source, sLastTime, sLastNotif);
  if (change == Change::LastPost)
    NotifyChange(gettext(QStringLiteral("Last post has changed!")),
                 QString::fromStdString(sLastTime));
  else if (change == Change::Notification)
    NotifyChange(gettext(QStringLiteral("Notification has changed!")),
                 QStringLiteral("+") + QString::fromStdString(FormatLongTime(std::time(nullptr))));
  SetEnabled(tmrRefresh, chkRefresh->isChecked());
  return change != Change::None;
}

// --- Attention ------------------------------------------------------------------------

void TfrmMain::NotifyChange(const QString& text, const QString& line) {
  mmoSource->appendPlainText(line);
  trycnNotify->SetAnimate(true);
  trycnNotify->SetBalloonHint(text);
  tmrHide->stop();  // a window shown by a change stays shown
  setVisible(true);
  trycnNotify->SetTag(0);
  trycnNotify->ShowBalloonHint();
  // Caption and taskbar entry highlighted until the window is activated.
  QApplication::alert(this, 0);
  tmrOverlay->start();
  tmrOverlayTimer();
}

void TfrmMain::ClearAttention() {
  trycnNotify->SetAnimate(false);
  trycnNotify->SetIconIndex(0);
  if (tbl3) {
    RemoveOverlay(tbl3.get(), static_cast<WindowId>(winId()));
    tmrOverlay->stop();
  }
}

void TfrmMain::tmrOverlayTimer() {
  const std::optional<int> next = OverlayStep(tbl3.get(), tbl3 ? static_cast<WindowId>(winId()) : 0,
                                              overlayHandles_, imglOverlayTag, "Tarnel");
  if (next)
    imglOverlayTag = *next;
  else
    tmrOverlay->stop();
}

void TfrmMain::aplctnvnts1Activate() { ClearAttention(); }

void TfrmMain::trycnNotifyClick() { ClearAttention(); }

// --- Tray and window visibility -------------------------------------------------------

void TfrmMain::BringToFront() {
  // A window hidden from the tray menu is still minimised; in front means on screen.
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

void TfrmMain::trycnNotifyDblClick() {
  trycnNotify->SetAnimate(false);
  trycnNotify->SetIconIndex(0);
  if (isVisible()) {
    showMinimized();
    hide();
  } else {
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    BringToFront();
  }
}

void TfrmMain::trycnNotifyBalloonClick() {
  switch (trycnNotify->Tag()) {
    case 0:
      ClearAttention();
      show();
      BringToFront();
      break;
    case 1:
      // Not inside a check: the question would hold it up until answered.
      waits_.RunOrDefer([this] { AskForUpdate(); }, kDeferredQuestion);
      break;
    default:
      break;
  }
}

void TfrmMain::pmSystrayPopup() {
  const bool shown = isVisible();
  miShow->setVisible(!shown);
  miHide->setVisible(shown);
  pmSystray->setDefaultAction(shown ? miHide : miShow);
}

void TfrmMain::miShowClick() {
  show();
  setWindowState(wsLastState == WindowState::Maximized ? Qt::WindowMaximized : Qt::WindowNoState);
  BringToFront();
}

void TfrmMain::miHideClick() {
  showMinimized();
  // Let the minimising show before the window leaves the screen. A window brought back
  // meanwhile (Show, a double click, the taskbar) is no longer minimised and stays; one that
  // a change showed meanwhile stays too.
  tmrHide->start();
}

void TfrmMain::AskForUpdate() {
  // The box runs a loop of its own, in which the balloon can be clicked again and the window
  // can go away.
  if (questionOpen_) return;
  questionOpen_ = true;
  const QPointer<TfrmMain> alive(this);
  const ModalResult answer =
      MessageDlg(this, gettext(QStringLiteral("Do you want to update?")), DialogKind::Confirmation,
                 {ModalResult::Yes, ModalResult::Ignore},
                 MessageDlgOptions()
                     .Default(ModalResult::Yes)
                     .Caption(ModalResult::Yes, gettext(QStringLiteral("Update")))
                     .StayOnTop()
                     .Centred());
  if (alive && answer == ModalResult::Yes) StartUpdate();  // its warning is a box too
  if (alive) questionOpen_ = false;
}

std::string TfrmMain::TempDirectory() {
  return setup_.tempDirectory ? setup_.tempDirectory() : std::string();
}

bool TfrmMain::RemoveUpdater() {
  const std::string temp = TempDirectory();
  // Nothing of ours is left to clean up, or there is no place it could be: no reason to wake
  // every second any more.
  const bool gone = temp.empty() || slp::RemoveUpdater(UpdaterFile(temp), setup_.isProcessRunning);
  if (gone) tmrRemoveUpdater->stop();
  return gone;
}

void TfrmMain::tmrRemoveUpdaterTimer() { RemoveUpdater(); }

void TfrmMain::StartUpdate() {
  emit updateStarted();
  if (!RemoveUpdater()) {
    MessageDlg(this,
               gettext(QStringLiteral("A previous update is already started...")) +
                   QStringLiteral("\r\n\r\n") +
                   gettext(QStringLiteral("It must be finished before this one can be done!")),
               DialogKind::Warning, {ModalResult::Cancel});
    return;
  }
  const std::string temp = TempDirectory();
  if (temp.empty()) return;
  const std::string folder = UpdaterFolder(temp);
  const std::string file = UpdaterFile(temp);
  // Ours alone: under a temporary directory that others can write to, someone else's folder
  // of that name would let them swap the program before it starts.
  if (!MakePrivateFolder(folder)) return;
  // Without its updater the notifier stays: closing would leave the user with nothing.
  const std::string program = setup_.updaterProgram ? setup_.updaterProgram() : std::string();
  if (program.empty() || !WriteUpdater(file, program)) return;
  std::vector<std::string> argv{setup_.executablePath};
  argv.insert(argv.end(), setup_.arguments.begin(), setup_.arguments.end());
  const std::string arguments = OwnArguments(JoinCommandLine(argv), setup_.executablePath);
  const bool started =
      setup_.shellOpen && setup_.shellOpen(file.substr(folder.size()),
                                           HandOffParameters(setup_.addresses.DownloadUrl,
                                                             setup_.executablePath, arguments),
                                           folder) >= 0;
  if (!started) {
    RemoveUpdater();  // nobody runs it
    return;
  }
  close();
}

void TfrmMain::WMCommand(std::uint32_t wParam) {
  switch (slp::WMCommand(wParam)) {
    case ThumbAction::Refresh:
      ReloadPage();
      break;
    case ThumbAction::Close:
      close();
      break;
    case ThumbAction::None:
      break;
  }
}

void TfrmMain::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    auto state = [](Qt::WindowStates s) {
      if (s & Qt::WindowMinimized) return WindowState::Minimized;
      if (s & Qt::WindowMaximized) return WindowState::Maximized;
      return WindowState::Normal;
    };
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    wsLastState = OnWindowStateChange(state(change->oldState()), state(windowState()), wsLastState);
  }
  QMainWindow::changeEvent(event);
}

// --- Refresh scheduling ---------------------------------------------------------------

void TfrmMain::spedIntervalChange() {
  tmrRefresh->stop();
  // A typed value applies as it stands; only what a timer cannot hold is limited.
  tmrRefresh->setInterval(std::clamp(spedInterval->Value(), 1, kMaxTimerMinutes) * 60000);
  chkRefreshClick();
}

void TfrmMain::chkRefreshClick() {
  // During a check the timer stays stopped; the check's end starts it.
  waits_.RunOrDefer([this] { SetEnabled(tmrRefresh, chkRefresh->isChecked()); }, kDeferredTimer);
}

void TfrmMain::tmrRefreshTimer() { RefreshPage(); }

void TfrmMain::bbtnNavigateRootClick() { RefreshPage(); }

// A refresh asked for while a check reads the page would move the page under it: it runs
// after the check, once however often it was asked for meanwhile.
void TfrmMain::RefreshPage() {
  waits_.RunOrDefer(
      [this] {
        stb1Text->setText(gettext(QStringLiteral("Latest refresh:")) + QStringLiteral(" ") +
                          QString::fromStdString(FormatLongTime(std::time(nullptr))));
        BringPageBack(*chrmGooglePlus);
        chrmGooglePlus->Browser()->get_main_frame()->load_url(setup_.addresses.StreamUrl);
        CheckForUpdate();
      },
      kDeferredRefresh);
}

void TfrmMain::ReloadPage() {
  waits_.RunOrDefer(
      [this] {
        if (CefBrowser* browser = chrmGooglePlus->Browser()) {
          BringPageBack(*chrmGooglePlus);
          browser->reload();
        }
      },
      kDeferredReload);
}

void TfrmMain::ReleasePageLater() {
  // Not from inside the engine's load-end call or a hide under way; after a check.
  QMetaObject::invokeMethod(
      this,
      [this] {
        waits_.RunOrDefer(
            [this] {
              if (chrmGooglePlus)
                ReleaseUnseenPage(*chrmGooglePlus, setup_.addresses, isVisible(), waits_.Busy(),
                                  bAuthentificationProcess);
            },
            kDeferredRelease);
      },
      Qt::QueuedConnection);
}

void TfrmMain::setVisible(bool visible) {
  // Before the browser is shown: shown first, the engine would restore the page from its
  // cache, an older copy than the one last read.
  if (visible && chrmGooglePlus) BringPageBack(*chrmGooglePlus);
  QMainWindow::setVisible(visible);
}

void TfrmMain::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  ReleasePageLater();
}

void TfrmMain::miQuitClick() { close(); }

// --- Version check --------------------------------------------------------------------

void TfrmMain::CheckForUpdate(std::function<void()> then) {
  // The reply comes back through the event loop. While a check waits for it, another one
  // starts nothing: the client takes one request at a time.
  const bool started = idhtpClient->Get(
      VersionRequestUrl(setup_.addresses.VersionServiceUrl, fviInfos.fFileVersion),
      [this, then](HttpReply reply) {
        const std::string& own = fviInfos.fFileVersion;
        const std::optional<std::string> text = UpdateAnnouncement(
            VersionReplyText(reply, own), own, fviInfos.fOriginalFileName, TranslateText);
        if (text) {
          trycnNotify->SetBalloonHint(QString::fromStdString(*text));
          trycnNotify->SetTag(1);
          trycnNotify->ShowBalloonHint();
        }
        if (then) then();
      });
  if (!started && then) then();
}

}  // namespace slp
