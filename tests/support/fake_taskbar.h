#pragma once
// A taskbar that records the calls the notifier makes.

#include <string>
#include <vector>

#include "platform/taskbar.h"

namespace slp::testing {

// Records the calls the taskbar features make.
class FakeTaskbar : public Taskbar {
 public:
  struct Call {
    std::string what;
    WindowId window;
    const void* handle;
    std::string text;
    std::vector<ThumbButton> buttons;
  };

  bool SetOverlayIcon(WindowId window, IconHandle icon, const std::string& description) override {
    calls.push_back({"overlay", window, icon, description, {}});
    return true;
  }
  bool ThumbBarSetImageList(WindowId window, ImageListHandle images) override {
    calls.push_back({"images", window, images, {}, {}});
    return true;
  }
  bool ThumbBarAddButtons(WindowId window, unsigned count, const ThumbButton* buttons) override {
    calls.push_back({"buttons", window, nullptr, {}, {buttons, buttons + count}});
    return true;
  }

  std::vector<Call> calls;
};

}  // namespace slp::testing
