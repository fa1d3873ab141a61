#pragma once
// The browser control as the notifier uses it: a browser object with a main frame.
// The real control sits on Qt WebEngine (browser/webengine_chromium.h); tests script a double.

#include <functional>
#include <string>

namespace slp {

class CefFrame {
 public:
  virtual ~CefFrame() = default;
  // The frame's current address, fully encoded; empty when nothing was loaded.
  virtual std::string get_url() = 0;
  // Starts a navigation and returns at once; its end arrives as Chromium::OnLoadEnd.
  virtual void load_url(const std::string& address) = 0;
  // The frame's whole current HTML, UTF-8, returned synchronously while events keep being
  // processed. Empty when there is none (a released page has none), or the engine did not
  // answer in time.
  virtual std::string get_source() = 0;
};

class CefBrowser {
 public:
  virtual ~CefBrowser() = default;
  // Never null while the browser exists.
  virtual CefFrame* get_main_frame() = 0;
  // Reloads the current page; its end arrives as Chromium::OnLoadEnd.
  virtual void reload() = 0;
  // Moves the keyboard focus into the page (true) or out of it (false).
  virtual void set_focus(bool focus) = 0;
  // Whether a navigation or reload is under way.
  virtual bool is_loading() = 0;

  // A page nobody sees can give its renderer process back. Its address and history stay, and
  // cookies and storage live in the profile.
  //
  // Releases the page; refused (returns false) while it is shown. Returns whether it is
  // released now.
  virtual bool discard() = 0;
  virtual bool is_discarded() = 0;
  // Brings a released page back by loading its address anew from the network (the engine's
  // own restore would show the copy in its cache); the load's end arrives as
  // Chromium::OnLoadEnd. Nothing for a page that is not released.
  virtual void restore() = 0;
};

class Chromium {
 public:
  // Sender, browser, frame, HTTP status (0 when unknown), Result (starts false).
  using LoadEndEvent = std::function<void(Chromium* sender, CefBrowser* browser, CefFrame* frame,
                                          int httpStatusCode, bool& Result)>;

  virtual ~Chromium() = default;
  // The browser object; null until the engine has created it.
  virtual CefBrowser* Browser() = 0;
  // Raised for every load end the engine reports.
  LoadEndEvent OnLoadEnd;
  // Browser settings are the engine's defaults. The one setting the notifier asks for, no
  // application cache, holds by itself: the engine (Chromium 102) has none.

 protected:
  void RaiseLoadEnd(CefFrame* frame, int httpStatusCode) {
    if (!OnLoadEnd) return;
    bool result = false;
    OnLoadEnd(this, Browser(), frame, httpStatusCode, result);
  }
};

}  // namespace slp
