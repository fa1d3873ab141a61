#pragma once
// A scripted browser control: the test sets the main frame's address and source and
// raises load ends; the control records what the notifier asked of it.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/browser.h"

namespace slp::testing {

class FakeChromium final : public Chromium, private CefBrowser, private CefFrame {
 public:
  // Browser object present (the normal case) or not yet created.
  bool has_browser = true;
  // Whether load_url changes the address at once, as the real engine does.
  bool load_url_changes_address = true;

  std::string url;
  std::string source;
  std::vector<std::string> loaded;  // every load_url, in order
  int reloads = 0;
  int focus_calls = 0;
  int source_reads = 0;
  bool loading = false;    // a navigation is under way
  bool discarded = false;  // the page is released
  int discard_calls = 0;
  int restores = 0;                     // released pages brought back
  int navigations_while_discarded = 0;  // load_url or reload on a released page

  // Runs while the source is being read, as events delivered by the engine's nested wait
  // would; the source read is the one from before.
  std::function<void()> during_source;

  bool* freed = nullptr;  // set to true when the control is destroyed
  ~FakeChromium() override {
    if (freed) *freed = true;
  }

  CefBrowser* Browser() override { return has_browser ? this : nullptr; }

  // One load end as the engine would raise it (for the main frame or a sub-frame).
  bool LoadEnd(int status = 200) {
    bool result = false;
    if (OnLoadEnd) OnLoadEnd(this, Browser(), this, status, result);
    return result;
  }

  // Shows `address` and raises a load end, like a finished navigation.
  void Arrive(const std::string& address) {
    url = address;
    LoadEnd();
  }

 private:
  CefFrame* get_main_frame() override { return this; }
  void reload() override {
    ++reloads;
    if (discarded) ++navigations_while_discarded;
  }
  void set_focus(bool focus) override {
    if (focus) ++focus_calls;
  }
  bool is_loading() override { return loading; }
  bool discard() override {
    ++discard_calls;
    discarded = true;
    return true;
  }
  bool is_discarded() override { return discarded; }
  void restore() override {
    if (!discarded) return;
    discarded = false;
    ++restores;
  }
  std::string get_url() override { return url; }
  void load_url(const std::string& address) override {
    loaded.push_back(address);
    if (discarded) ++navigations_while_discarded;
    if (load_url_changes_address) url = address;
  }
  std::string get_source() override {
    ++source_reads;
    const std::string read = discarded ? std::string() : source;
    if (during_source) {
      auto hook = std::exchange(during_source, nullptr);  // once: it may start another read
      hook();
    }
    return read;
  }
};

}  // namespace slp::testing
