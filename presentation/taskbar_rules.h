#pragma once
// What the taskbar features decide, apart from the window: thumbnail button records, the
// window state to come back to from the tray, thumbnail clicks and the overlay animation step.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/taskbar.h"

namespace slp {

// System commands (wParam of WM_SYSCOMMAND); the system uses the low four bits itself.
inline constexpr unsigned kScMinimize = 0xF020;
inline constexpr unsigned kScMaximize = 0xF030;
inline constexpr unsigned kScRestore = 0xF120;

// Identifiers of the thumbnail buttons, and their pictures in the tray image list.
inline constexpr unsigned kThumbRefreshId = 0;
inline constexpr unsigned kThumbExitId = 1;
inline constexpr unsigned kThumbRefreshImage = 3;
inline constexpr unsigned kThumbExitImage = 2;

// `text` cut to the longest prefix of whole characters that fits the system's tool-tip field
// (259 UTF-16 units and the terminator). A byte that does not start a valid UTF-8 sequence
// counts as one unit and is kept.
std::string ClipThumbTip(std::string text);

// The Refresh (identifier 0) and Exit (identifier 1) buttons: picture, tool-tip and flags
// valid, enabled. Tips are UTF-8 and clipped to the system's field.
std::array<ThumbButton, 2> MakeThumbButtons(std::string refreshTip, std::string exitTip);

// Gives the taskbar the image list `images` for `window` and adds the two buttons of
// MakeThumbButtons. Returns false, doing nothing, when `tbl3` is null.
bool InstallThumbBar(Taskbar* tbl3, WindowId window, ImageListHandle images, std::string refreshTip,
                     std::string exitTip);

enum class WindowState { Normal, Minimized, Maximized };

// The state to restore from the tray after the system command `command` arrives while the
// window is maximised (`maximizedNow`) or not; `wsLastState` is the state remembered so far.
// A minimised state is never returned unless it was passed in.
WindowState WMSysCommand(unsigned command, bool maximizedNow, WindowState wsLastState);

// The same rules fed by a toolkit window-state change from `from` to `to` (a window both
// minimised and maximised counts as minimised). No change keeps `wsLastState`.
WindowState OnWindowStateChange(WindowState from, WindowState to, WindowState wsLastState);

enum class ThumbAction { None, Refresh, Close };

// What a WM_COMMAND with `wParam` asks for: a thumbnail click (code 0x1800 in the high word)
// on button 0 refreshes, on button 1 closes; anything else asks for nothing.
ThumbAction WMCommand(std::uint32_t wParam);

// The frame after `tag` in a list of `count` frames, back to 0 after the last. A tag outside
// the list counts as 0; an empty list gives 0.
int NextOverlayFrame(int tag, int count);

// One overlay animation step: shows `frames[tag]` over the button of `window` with
// `description` and returns the next tag. Without a taskbar (`tbl3` null) it does nothing and
// returns nullopt: the caller stops its timer. A tag outside `frames` shows frame 0; an empty
// `frames` shows nothing and returns 0.
std::optional<int> OverlayStep(Taskbar* tbl3, WindowId window, std::span<const IconHandle> frames,
                               int tag, const std::string& description);

// Removes the overlay icon of `window`. Returns false, doing nothing, when `tbl3` is null.
bool RemoveOverlay(Taskbar* tbl3, WindowId window);

}  // namespace slp
