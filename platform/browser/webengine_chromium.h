#pragma once
// TChromium: the browser control on Qt WebEngine (Chromium). One per process.

#include <QObject>
#include <QPointer>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <string>

#include "platform/browser.h"

class QWebEngineProfile;
class QWebEnginePage;
class QTimer;
class QWidget;

namespace slp {

class TChromium final : public QObject, public Chromium {
  Q_OBJECT

 public:
  // Where the engine keeps cache, cookies and site data. Must be set before the first
  // control is created; empty keeps everything in memory.
  static void SetCachePath(const std::string& path);
  static const std::string& CachePath();

  // Why the engine cannot start here (its helper program is missing), or empty. Without
  // the helper the engine ends the whole process, so ask before creating a control.
  static std::string EngineProblem();

  // Creates the browser as a child filling `parent`.
  explicit TChromium(QWidget* parent);
  ~TChromium() override;

  CefBrowser* Browser() override;
  QWebEngineView* View() const { return view_; }

  // Called once when the engine's renderer dies before any page finished loading: the
  // engine cannot run here.
  std::function<void()> OnEngineFailure;

  // How long get_source waits for the engine before it gives up with an empty source.
  static constexpr int kSourceTimeoutMs = 10000;

 private:
  class Frame;
  class BrowserObject;

  QWebEngineProfile* profile_ = nullptr;
  QWebEnginePage* page_ = nullptr;
  QPointer<QWebEngineView> view_;
  std::unique_ptr<Frame> frame_;
  std::unique_ptr<BrowserObject> browser_;
  bool any_load_finished_ = false;
  QTimer* load_end_timer_ = nullptr;
  int pending_load_ends_ = 0;
};

}  // namespace slp
