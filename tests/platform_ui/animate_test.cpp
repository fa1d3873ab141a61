#include "platform/ui/animate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <vector>

#include "support/wait.h"

namespace slp {
namespace {

using testing::WaitFor;

// Four 6 x 2 frames at 20 ms; every pixel of frame f is colour f + 1, except the top-left
// one of the first frame, whose colour 9 is the backdrop.
std::vector<std::uint8_t> FourFrames() {
  ClipPalette palette{};
  palette.fill(0xFF000000u);
  for (std::uint32_t i = 1; i <= 4; ++i) palette[i] = 0xFF000000u | (i * 0x300000u);
  palette[9] = 0xFF00FF00u;
  std::vector<std::vector<std::uint8_t>> coded;
  for (std::uint8_t f = 0; f < 4; ++f) {
    std::vector<std::uint8_t> picture(12, static_cast<std::uint8_t>(f + 1));
    if (f == 0) picture[0] = 9;
    coded.push_back(EncodeRle8(picture, 6, 2, nullptr));
  }
  return WriteAviClip(6, 2, 20000, palette, coded);
}

TEST(TAnimate, OpensAClipAndRefusesOtherBytes) {
  TAnimate ani;
  const auto clip = FourFrames();
  ASSERT_TRUE(ani.SetClip(clip));
  EXPECT_TRUE(ani.Open());
  EXPECT_EQ(ani.FrameCount(), 4);
  EXPECT_EQ(ani.FrameInterval(), 20);
  EXPECT_EQ(ani.sizeHint(), QSize(6, 2));
  const std::vector<std::uint8_t> junk = {'R', 'I', 'F', 'F'};
  EXPECT_FALSE(ani.SetClip(junk));
  EXPECT_FALSE(ani.Open());
  ani.Play(1, 4, 0);
  EXPECT_FALSE(ani.Active());
}

TEST(TAnimate, PlaysInAnEndlessLoopUntilStopped) {
  TAnimate ani;
  const auto clip = FourFrames();
  ASSERT_TRUE(ani.SetClip(clip));
  QSignalSpy frames(&ani, &TAnimate::FrameChanged);
  ani.Play(1, ani.FrameCount(), 0);
  EXPECT_TRUE(ani.Active());
  ASSERT_TRUE(WaitFor([&] { return frames.count() >= 10; }));
  ani.Stop();
  EXPECT_FALSE(ani.Active());
  std::vector<int> seen;
  for (const auto& args : frames) seen.push_back(args.at(0).toInt());
  const std::vector<int> expected = {1, 2, 3, 4, 1, 2, 3, 4, 1, 2};
  EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 10), expected);
}

TEST(TAnimate, PlaysARangeACountedNumberOfTimes) {
  TAnimate ani;
  const auto clip = FourFrames();
  ASSERT_TRUE(ani.SetClip(clip));
  QSignalSpy frames(&ani, &TAnimate::FrameChanged);
  ani.Play(2, 3, 2);
  ASSERT_TRUE(WaitFor([&] { return !ani.Active(); }));
  std::vector<int> seen;
  for (const auto& args : frames) seen.push_back(args.at(0).toInt());
  EXPECT_EQ(seen, (std::vector<int>{2, 3, 2, 3}));
  EXPECT_EQ(ani.CurrentFrame(), 3);
}

TEST(TAnimate, SeekShowsOneFrameStillOverTheBackdrop) {
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette p = parent.palette();
  p.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
  parent.setPalette(p);
  parent.resize(6, 2);
  auto* ani = new TAnimate(&parent);
  ani->setGeometry(0, 0, 6, 2);
  const auto clip = FourFrames();
  ASSERT_TRUE(ani->SetClip(clip));
  ani->Play(1, 4, 0);
  ani->Seek(3);
  EXPECT_FALSE(ani->Active());
  EXPECT_EQ(ani->CurrentFrame(), 3);
  ani->Seek(99);  // beyond the end: the last frame
  EXPECT_EQ(ani->CurrentFrame(), 4);
  ani->Seek(1);
  const QImage shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(0x12, 0x34, 0x56));  // the backdrop colour shows through
  EXPECT_EQ(shot.pixel(1, 0), 0xFF300000u);                    // frame 1's own colour
}

}  // namespace
}  // namespace slp
