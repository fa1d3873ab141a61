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

  std::string get_url() override {
    return page_->url().toString(QUrl::FullyEncoded).toStdString();
  }

  void load_url(const std::string& address) override {
    page_->load(QUrl(QString::fromStdString(address), QUrl::StrictMode));
  }

  std::string get_source() override {
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
  BrowserObject(QWebEngineView* view, Frame* frame) : view_(view), frame_(frame) {}
  CefFrame* get_main_frame() override { return frame_; }
  void reload() override { view_->reload(); }
  void set_focus(bool focus) override {
    if (focus)
      view_->setFocus(Qt::OtherFocusReason);
    else
      view_->clearFocus();
  }

 private:
  QWebEngineView* view_;
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
  browser_ = std::make_unique<BrowserObject>(view_, frame_.get());

  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool) {
    any_load_finished_ = true;
    RaiseLoadEnd(frame_.get(), 0);
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
