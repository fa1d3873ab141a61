#include "presentation/taskbar_rules.h"

#include <utility>

namespace slp {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length in bytes and in UTF-16 units of the well-formed UTF-8 sequence at `i`; {1, 1} for a
// byte that does not start one.
std::pair<std::size_t, std::size_t> SequenceAt(const std::string& s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t bytes = 1;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (c < 0x80) return {1, 1};
  if (c >= 0xC2 && c <= 0xDF) {
    bytes = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    bytes = 3;
    if (c == 0xE0) low = 0xA0;   // overlong
    if (c == 0xED) high = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    bytes = 4;
    if (c == 0xF0) low = 0x90;   // overlong
    if (c == 0xF4) high = 0x8F;  // beyond U+10FFFF
  } else {
    return {1, 1};
  }
  if (i + bytes > s.size()) return {1, 1};
  const auto second = static_cast<unsigned char>(s[i + 1]);
  if (second < low || second > high) return {1, 1};
  for (std::size_t k = 2; k < bytes; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return {1, 1};
  }
  return {bytes, bytes == 4 ? 2 : 1};
}

}  // namespace

std::string ClipThumbTip(std::string text) {
  constexpr std::size_t kLimit = kThumbTipUnits - 1;
  std::size_t i = 0, units = 0;
  while (i < text.size()) {
    const auto [bytes, n] = SequenceAt(text, i);
    if (units + n > kLimit) break;
    units += n;
    i += bytes;
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
