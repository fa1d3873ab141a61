#include "presentation/taskbar_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_taskbar.h"

namespace slp {
namespace {

using WS = WindowState;
using testing::FakeTaskbar;

struct SysCommandCase {
  unsigned command;
  bool maximizedNow;
  WS last;
  WS expected;
};

TEST(WMSysCommandTest, RemembersTheStateToComeBackTo) {
  const SysCommandCase cases[] = {
      // Minimise: the state the window leaves.
      {kScMinimize, true, WS::Normal, WS::Maximized},
      {kScMinimize, false, WS::Maximized, WS::Normal},
      // Maximise: toggles against the current state.
      {kScMaximize, false, WS::Normal, WS::Maximized},
      {kScMaximize, true, WS::Maximized, WS::Normal},
      // Restore: only a maximised window changes the memory.
      {kScRestore, true, WS::Maximized, WS::Normal},
      {kScRestore, false, WS::Maximized, WS::Maximized},
      {kScRestore, false, WS::Normal, WS::Normal},
      // The low four bits belong to the system (caption double click sends 0xF032, ...).
      {kScMinimize | 0x2, true, WS::Normal, WS::Maximized},
      {kScMaximize | 0x2, false, WS::Normal, WS::Maximized},
      {kScRestore | 0xF, true, WS::Maximized, WS::Normal},
      {kScMinimize | 0xF, false, WS::Maximized, WS::Normal},
      // Other commands leave the memory alone, whatever the window's state.
      {0xF060 /* close */, true, WS::Normal, WS::Normal},
      {0xF010 /* move */, false, WS::Maximized, WS::Maximized},
      {0xF000 /* size */, true, WS::Maximized, WS::Maximized},
      {0, false, WS::Normal, WS::Normal},
      {kScMinimize + 0x10, true, WS::Normal, WS::Normal},
      {kScRestore - 0x10, true, WS::Maximized, WS::Maximized},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WMSysCommand(c.command, c.maximizedNow, c.last), c.expected)
        << std::hex << "command 0x" << c.command << " maximized " << c.maximizedNow << " last "
        << static_cast<int>(c.last);
  }
}

struct StateChangeCase {
  WS from;
  WS to;
  WS last;
  WS expected;
};

TEST(WMSysCommandTest, ToolkitStateChangesFollowTheSameRules) {
  const StateChangeCase cases[] = {
      {WS::Maximized, WS::Minimized, WS::Normal, WS::Maximized},
      {WS::Normal, WS::Minimized, WS::Maximized, WS::Normal},
      {WS::Normal, WS::Maximized, WS::Normal, WS::Maximized},
      {WS::Minimized, WS::Maximized, WS::Normal, WS::Maximized},
      {WS::Maximized, WS::Normal, WS::Maximized, WS::Normal},
      // Coming back from the taskbar keeps what minimising remembered.
      {WS::Minimized, WS::Normal, WS::Maximized, WS::Maximized},
      {WS::Minimized, WS::Normal, WS::Normal, WS::Normal},
      {WS::Maximized, WS::Maximized, WS::Normal, WS::Normal},
      {WS::Minimized, WS::Minimized, WS::Maximized, WS::Maximized},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OnWindowStateChange(c.from, c.to, c.last), c.expected)
        << static_cast<int>(c.from) << " -> " << static_cast<int>(c.to) << " last "
        << static_cast<int>(c.last);
  }
}

TEST(WMSysCommandTest, MaximiseMinimiseRestoreComesBackMaximised) {
  WS last = WS::Normal;
  last = WMSysCommand(kScMaximize, false, last);
  last = WMSysCommand(kScMinimize, true, last);
  last = WMSysCommand(kScRestore, false, last);  // a minimised window is not maximised
  EXPECT_EQ(last, WS::Maximized);
}

TEST(WMCommandTest, ThumbnailClicksOnly) {
  const struct {
    std::uint32_t wParam;
    ThumbAction expected;
  } cases[] = {
      {0x18000000u, ThumbAction::Refresh}, {0x18000001u, ThumbAction::Close},
      {0x18000002u, ThumbAction::None},    {0x1800FFFFu, ThumbAction::None},
      {0x00000000u, ThumbAction::None},  // menu command 0
      {0x00000001u, ThumbAction::None},  // menu command 1
      {0x00010001u, ThumbAction::None},  // accelerator 1
      {0x18010000u, ThumbAction::None},    {0x08000001u, ThumbAction::None},
      {0x98000000u, ThumbAction::None},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WMCommand(c.wParam), c.expected) << std::hex << "wParam 0x" << c.wParam;
  }
}

TEST(ThumbButtonsTest, RecordsAsTheSystemExpectsThem) {
  const auto buttons = MakeThumbButtons("Refresh", "Quitter");
  const ThumbButton refresh{13, 0, 3, nullptr, "Refresh", 0};
  const ThumbButton exit{13, 1, 2, nullptr, "Quitter", 0};
  EXPECT_EQ(buttons[0], refresh);
  EXPECT_EQ(buttons[1], exit);
}

TEST(ThumbButtonsTest, LongTipsAreClippedToTheSystemField) {
  const auto buttons = MakeThumbButtons(std::string(300, 'r'), "Exit");
  EXPECT_EQ(buttons[0].szTip, std::string(259, 'r'));
  EXPECT_EQ(buttons[1].szTip, "Exit");
}

TEST(ClipThumbTipTest, KeepsWholeCharactersWithinTheUnits) {
  const std::string a258(258, 'a');
  const std::string e_acute = "\xC3\xA9";        // one unit, two bytes
  const std::string euro = "\xE2\x82\xAC";       // one unit, three bytes
  const std::string emoji = "\xF0\x9F\x94\x94";  // two units, four bytes
  auto euros = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += euro;
    return s;
  };
  const struct {
    const char* name;
    std::string in;
    std::string out;
  } cases[] = {
      {"empty", "", ""},
      {"short", "Actualiser", "Actualiser"},
      {"exactly full", std::string(259, 'a'), std::string(259, 'a')},
      {"one too many", std::string(260, 'a'), std::string(259, 'a')},
      {"two-byte last", a258 + e_acute + "x", a258 + e_acute},
      {"three-byte last", a258 + euro + "x", a258 + euro},
      {"surrogate pair does not fit", a258 + emoji, a258},
      {"surrogate pair fits", std::string(257, 'a') + emoji + "x", std::string(257, 'a') + emoji},
      {"units, not bytes", euros(259), euros(259)},
      {"units, not bytes, clipped", euros(260), euros(259)},
      {"stray bytes count one each", "\xFF\x80" + std::string(258, 'a'),
       "\xFF\x80" + std::string(257, 'a')},
      {"cut sequence at the end", a258 + "\xE2\x82", a258 + "\xE2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClipThumbTip(c.in), c.out) << c.name;
  }
}

class OverlayTest : public ::testing::Test {
 protected:
  static constexpr WindowId kWindow = 0x2a;
  int frameObjects_[4] = {};
  const IconHandle frames_[4] = {&frameObjects_[0], &frameObjects_[1], &frameObjects_[2],
                                 &frameObjects_[3]};
  FakeTaskbar taskbar_;
  int tag_ = 0;

  // What the window's overlay timer does at each tick; the index of the frame shown.
  int Tick() {
    const auto next = OverlayStep(&taskbar_, kWindow, frames_, tag_, "Tarnel");
    EXPECT_TRUE(next.has_value());
    tag_ = next.value_or(tag_);
    const auto& call = taskbar_.calls.back();
    EXPECT_EQ(call.what, "overlay");
    EXPECT_EQ(call.window, kWindow);
    EXPECT_EQ(call.text, "Tarnel");
    for (int i = 0; i < 4; ++i) {
      if (call.handle == frames_[i]) return i;
    }
    return -1;
  }
};

TEST_F(OverlayTest, FramesCycleAndResumeAfterAClear) {
  std::vector<int> shown;
  for (int i = 0; i < 6; ++i) shown.push_back(Tick());
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 0, 1}));
  EXPECT_EQ(tag_, 2);

  ASSERT_TRUE(RemoveOverlay(&taskbar_, kWindow));
  EXPECT_EQ(taskbar_.calls.back().what, "overlay");
  EXPECT_EQ(taskbar_.calls.back().handle, nullptr);
  EXPECT_EQ(taskbar_.calls.back().text, "");

  EXPECT_EQ(Tick(), 2);
  EXPECT_EQ(Tick(), 3);
  EXPECT_EQ(Tick(), 0);
}

TEST_F(OverlayTest, TagOutsideTheFramesShowsTheFirst) {
  for (int bad : {4, 17, -1}) {
    tag_ = bad;
    EXPECT_EQ(Tick(), 0) << bad;
    EXPECT_EQ(tag_, 1) << bad;
  }
}

TEST_F(OverlayTest, NoTaskbarAsksToStopTheTimer) {
  EXPECT_EQ(OverlayStep(nullptr, kWindow, frames_, 2, "Tarnel"), std::nullopt);
  EXPECT_FALSE(RemoveOverlay(nullptr, kWindow));
}

TEST_F(OverlayTest, NoFramesShowsNothing) {
  EXPECT_EQ(OverlayStep(&taskbar_, kWindow, {}, 3, "Tarnel"), std::optional<int>(0));
  EXPECT_TRUE(taskbar_.calls.empty());
}

TEST(NextOverlayFrameTest, WrapsAtTheCount) {
  const struct {
    int tag, count, next;
  } cases[] = {{0, 4, 1}, {1, 4, 2},  {2, 4, 3}, {3, 4, 0}, {0, 1, 0},
               {4, 4, 1}, {-2, 4, 1}, {0, 0, 0}, {5, -1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(NextOverlayFrame(c.tag, c.count), c.next) << c.tag << " of " << c.count;
  }
}

TEST(ThumbBarTest, ImageListFirstThenBothButtons) {
  FakeTaskbar taskbar;
  int images = 0;
  ASSERT_TRUE(InstallThumbBar(&taskbar, 7, &images, "Refresh", "Exit"));
  ASSERT_EQ(taskbar.calls.size(), 2u);
  EXPECT_EQ(taskbar.calls[0].what, "images");
  EXPECT_EQ(taskbar.calls[0].window, 7u);
  EXPECT_EQ(taskbar.calls[0].handle, &images);
  EXPECT_EQ(taskbar.calls[1].what, "buttons");
  EXPECT_EQ(taskbar.calls[1].window, 7u);
  const auto expected = MakeThumbButtons("Refresh", "Exit");
  EXPECT_EQ(taskbar.calls[1].buttons, std::vector<ThumbButton>(expected.begin(), expected.end()));
}

TEST(ThumbBarTest, NothingWithoutATaskbar) {
  int images = 0;
  EXPECT_FALSE(InstallThumbBar(nullptr, 7, &images, "Refresh", "Exit"));
}

}  // namespace
}  // namespace slp
