#pragma once
// The taskbar calls the notifier makes on its own button: overlay icon and thumbnail toolbar.
// Only systems with such a taskbar provide an implementation; elsewhere the notifier holds no
// taskbar object and skips every taskbar feature.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace slp {

// Native window identifier (the value of QWidget::winId()).
using WindowId = std::uintptr_t;
// An icon or image list of the windowing system, owned by the caller; read during the call only.
using IconHandle = const void*;
using ImageListHandle = const void*;

// Which members of a ThumbButton are valid.
enum ThumbButtonMask : unsigned {
  THB_BITMAP = 1,   // iBitmap
  THB_ICON = 2,     // hIcon
  THB_TOOLTIP = 4,  // szTip
  THB_FLAGS = 8,    // dwFlags
};

enum ThumbButtonFlags : unsigned {
  THBF_ENABLED = 0,
  THBF_DISABLED = 1,
  THBF_DISMISSONCLICK = 2,
  THBF_NOBACKGROUND = 4,
  THBF_HIDDEN = 8,
  THBF_NONINTERACTIVE = 16,
};

// The system's tool-tip field holds 260 UTF-16 units including the terminator.
inline constexpr std::size_t kThumbTipUnits = 260;

// One button of the thumbnail toolbar, member for member the system's record.
struct ThumbButton {
  unsigned dwMask = 0;
  unsigned iId = 0;
  unsigned iBitmap = 0;  // index into the image list given by ThumbBarSetImageList
  IconHandle hIcon = nullptr;
  std::string szTip;  // UTF-8; the system keeps at most kThumbTipUnits - 1 UTF-16 units
  unsigned dwFlags = THBF_ENABLED;

  friend bool operator==(const ThumbButton&, const ThumbButton&) = default;
};

// Message numbers and codes the taskbar features use.
inline constexpr unsigned kWmCommand = 0x0111;
inline constexpr unsigned kThbnClicked = 0x1800;  // high word of kWmCommand's wParam
inline constexpr unsigned kMsgfltAdd = 1;

class Taskbar {
 public:
  virtual ~Taskbar() = default;

  // Shows `icon` over the button of `window`, with `description` (UTF-8) for screen readers.
  // A null icon with an empty description removes the overlay. Returns false when the system
  // refused.
  virtual bool SetOverlayIcon(WindowId window, IconHandle icon, const std::string& description) = 0;
  // Makes `images` the image list the thumbnail buttons of `window` index into.
  virtual bool ThumbBarSetImageList(WindowId window, ImageListHandle images) = 0;
  // Adds `count` buttons from `buttons` to the thumbnail toolbar of `window`; requires
  // `buttons` to point at `count` records. A window's toolbar can be filled only once.
  virtual bool ThumbBarAddButtons(WindowId window, unsigned count, const ThumbButton* buttons) = 0;
};

// One implementation file per system, chosen by the build (platform/taskbar/).

// The system's taskbar list (version 3), or null where the system has none.
std::unique_ptr<Taskbar> AcquireTaskbar();

// Lets `message` reach this process from less privileged processes (`action` kMsgfltAdd).
// Returns false, doing nothing, where the system has no such filter.
bool ChangeWindowMessageFilter(unsigned message, unsigned action);

}  // namespace slp
