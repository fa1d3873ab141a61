#include "platform/browser/webengine_chromium.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace slp {

namespace {
std::string& GlobalCachePath() {
  static std::string path;
  return path;
}
}  // namespace

std::string TChromium::EngineProblem() {
  // Where the engine looks for its helper: the variable, else Qt's executables folder, else
  // beside the program.
  const QByteArray forced = qgetenv("QTWEBENGINEPROCESS_PATH");
  QStringList candidates;
  if (!forced.isEmpty()) {
    candidates << QString::fromLocal8Bit(forced);
  } else {
    candidates << QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                      QStringLiteral("/QtWebEngineProcess")
               << QCoreApplication::applicationDirPath() + QStringLiteral("/QtWebEngineProcess");
  }
  for (const QString& path : candidates) {
    const QFileInfo helper(path);
    if (helper.isFile() && helper.isExecutable()) return {};
  }
  return "The browser engine's helper program is missing: " + candidates.front().toStdString();
}

void TChromium::SetCachePath(const std::string& path) { GlobalCachePath() = path; }
const std::string& TChromium::CachePath() { return GlobalCachePath(); }

class TChromium::Frame final : public CefFrame {
 public:
  explicit Frame(QWebEnginePage* page) : page_(page) {}

  std::string get_url() override { return page_->url().toString(QUrl::FullyEncoded).toStdString(); }

  void load_url(const std::string& address) override {
    requested = true;
    page_->load(QUrl(QString::fromStdString(address), QUrl::StrictMode));
  }

  // A load, reload or restore was asked for and the engine has not reported its start yet:
  // until then the page does not count as loading.
  bool requested = false;

  std::string get_source() override {
    // A released page has no document, and the engine would never answer.
    if (page_->lifecycleState() == QWebEnginePage::LifecycleState::Discarded) return {};
    // toHtml answers asynchronously. The state lives on the heap so that a callback that
    // arrives after the wait gave up writes into memory that still exists.
    struct Pending {
      QString html;
      bool done = false;
      QEventLoop loop;
    };
    auto pending = std::make_shared<Pending>();
    std::weak_ptr<Pending> weak = pending;
    page_->toHtml([weak](const QString& html) {
      if (auto p = weak.lock()) {
        p->html = html;
        p->done = true;
        p->loop.quit();
      }
    });
    if (!pending->done) {
      QTimer::singleShot(kSourceTimeoutMs, &pending->loop, &QEventLoop::quit);
      pending->loop.exec();
    }
    return pending->done ? pending->html.toStdString() : std::string();
  }

 private:
  QWebEnginePage* page_;
};

class TChromium::BrowserObject final : public CefBrowser {
 public:
  BrowserObject(QWebEngineView* view, QWebEnginePage* page, Frame* frame)
      : view_(view), page_(page), frame_(frame) {}
  CefFrame* get_main_frame() override { return frame_; }
  void reload() override {
    frame_->requested = true;
    view_->reload();
  }
  void set_focus(bool focus) override {
    if (focus)
      view_->setFocus(Qt::OtherFocusReason);
    else
      view_->clearFocus();
  }
  bool is_loading() override { return frame_->requested || page_->isLoading(); }

  bool discard() override {
    // The engine refuses a shown page with a warning; refuse it here without one.
    if (!is_discarded() && !page_->isVisible())
      page_->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
    return is_discarded();
  }
  bool is_discarded() override {
    return page_->lifecycleState() == QWebEnginePage::LifecycleState::Discarded;
  }
  void restore() override {
    if (!is_discarded()) return;
    // Made active alone, the engine restores the page from its cache: an older copy than
    // the one last read. A reload started at once replaces that restore.
    page_->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    reload();
  }

 private:
  QWebEngineView* view_;
  QWebEnginePage* page_;
  Frame* frame_;
};

TChromium::TChromium(QWidget* parent) {
  const QString cache = QString::fromStdString(CachePath());
  if (cache.isEmpty()) {
    profile_ = new QWebEngineProfile(this);  // off the record
  } else {
    profile_ = new QWebEngineProfile(QStringLiteral("Sylpwatch"), this);
    profile_->setCachePath(cache);
    profile_->setPersistentStoragePath(cache);
    profile_->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
  }

  view_ = new QWebEngineView(parent);
  view_->setObjectName(QStringLiteral("chrmGooglePlus"));
  view_->setAccessibleName(QStringLiteral("Stream"));
  page_ = new QWebEnginePage(profile_, view_);
  view_->setPage(page_);
  auto* layout = new QVBoxLayout(parent);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);

  frame_ = std::make_unique<Frame>(page_);
  browser_ = std::make_unique<BrowserObject>(view_, page_, frame_.get());

  connect(page_, &QWebEnginePage::loadStarted, this, [this] { frame_->requested = false; });
  // Load ends are raised from a timer of the loop. Raised from the engine's own delivery or
  // from a posted event, a handler that waits for the page source in a nested loop gets no
  // answer while the page is hidden: the engine's work is not run in that loop.
  load_end_timer_ = new QTimer(this);
  load_end_timer_->setSingleShot(true);
  load_end_timer_->setInterval(0);
  connect(load_end_timer_, &QTimer::timeout, this, [this] {
    while (pending_load_ends_ > 0) {
      --pending_load_ends_;
      RaiseLoadEnd(frame_.get(), 0);
    }
  });
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool) {
    frame_->requested = false;
    any_load_finished_ = true;
    ++pending_load_ends_;
    load_end_timer_->start();
  });
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status != QWebEnginePage::NormalTerminationStatus && !any_load_finished_ &&
                OnEngineFailure)
              OnEngineFailure();
          });
}

TChromium::~TChromium() {
  OnLoadEnd = nullptr;
  browser_.reset();
  frame_.reset();
  // The page must go before its profile.
  delete view_.data();  // owns the page
  page_ = nullptr;
  delete profile_;
  profile_ = nullptr;
}

CefBrowser* TChromium::Browser() { return browser_.get(); }

}  // namespace slp
