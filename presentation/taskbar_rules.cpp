#include "presentation/taskbar_rules.h"

#include <utility>

#include "platform/os/text.h"

namespace slp {

std::string ClipThumbTip(std::string text) {
  constexpr std::size_t kLimit = kThumbTipUnits - 1;
  std::size_t i = 0, units = 0;
  while (i < text.size()) {
    const text::Utf8Step step = text::Utf8At(text, i);
    if (units + step.units > kLimit) break;
    units += step.units;
    i += step.bytes;
  }
  text.resize(i);
  return text;
}

std::array<ThumbButton, 2> MakeThumbButtons(std::string refreshTip, std::string exitTip) {
  constexpr unsigned kMask = THB_BITMAP | THB_TOOLTIP | THB_FLAGS;
  return {{
      {kMask, kThumbRefreshId, kThumbRefreshImage, nullptr, ClipThumbTip(std::move(refreshTip)),
       THBF_ENABLED},
      {kMask, kThumbExitId, kThumbExitImage, nullptr, ClipThumbTip(std::move(exitTip)),
       THBF_ENABLED},
  }};
}

bool InstallThumbBar(Taskbar* tbl3, WindowId window, ImageListHandle images, std::string refreshTip,
                     std::string exitTip) {
  if (tbl3 == nullptr) return false;
  const auto buttons = MakeThumbButtons(std::move(refreshTip), std::move(exitTip));
  tbl3->ThumbBarSetImageList(window, images);
  tbl3->ThumbBarAddButtons(window, static_cast<unsigned>(buttons.size()), buttons.data());
  return true;
}

WindowState WMSysCommand(unsigned command, bool maximizedNow, WindowState wsLastState) {
  switch (command & 0xFFF0) {
    case kScMinimize:
      return maximizedNow ? WindowState::Maximized : WindowState::Normal;
    case kScMaximize:
      return maximizedNow ? WindowState::Normal : WindowState::Maximized;
    case kScRestore:
      return maximizedNow ? WindowState::Normal : wsLastState;
    default:
      return wsLastState;
  }
}

WindowState OnWindowStateChange(WindowState from, WindowState to, WindowState wsLastState) {
  if (from == to) return wsLastState;
  unsigned command = kScRestore;
  if (to == WindowState::Minimized) command = kScMinimize;
  if (to == WindowState::Maximized) command = kScMaximize;
  return WMSysCommand(command, from == WindowState::Maximized, wsLastState);
}

ThumbAction WMCommand(std::uint32_t wParam) {
  if ((wParam >> 16) != kThbnClicked) return ThumbAction::None;
  switch (wParam & 0xFFFF) {
    case kThumbRefreshId:
      return ThumbAction::Refresh;
    case kThumbExitId:
      return ThumbAction::Close;
    default:
      return ThumbAction::None;
  }
}

int NextOverlayFrame(int tag, int count) {
  if (count <= 0) return 0;
  if (tag < 0 || tag >= count) tag = 0;
  return tag + 1 == count ? 0 : tag + 1;
}

std::optional<int> OverlayStep(Taskbar* tbl3, WindowId window, std::span<const IconHandle> frames,
                               int tag, const std::string& description) {
  if (tbl3 == nullptr) return std::nullopt;
  const int count = static_cast<int>(frames.size());
  if (count == 0) return 0;
  if (tag < 0 || tag >= count) tag = 0;
  tbl3->SetOverlayIcon(window, frames[static_cast<std::size_t>(tag)], description);
  return NextOverlayFrame(tag, count);
}

bool RemoveOverlay(Taskbar* tbl3, WindowId window) {
  if (tbl3 == nullptr) return false;
  tbl3->SetOverlayIcon(window, nullptr, std::string());
  return true;
}

}  // namespace slp
