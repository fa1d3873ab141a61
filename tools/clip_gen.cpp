// Build tool: draws the updater's animation "COPY" (pages flying from one folder into
// another, 69 frames of 270 x 60 at 10 frames per second) and writes it as a run-length
// coded AVI clip.
//
//   slp-clip-gen <output.avi>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <numbers>
#include <vector>

#include "platform/os/avi_clip.h"

namespace {

constexpr int kWidth = 270;
constexpr int kHeight = 60;
constexpr int kFrames = 69;
constexpr int kTripFrames = 46;  // one page's flight; a new page leaves every 23 frames

enum Colour : std::uint8_t {
  kBackground,
  kOutline,
  kFolderBack,
  kFolderFront,
  kPaper,
  kLine,
  kShadow,
  kEdge,
  kTab
};

slp::ClipPalette Palette() {
  slp::ClipPalette p{};
  p.fill(0xFF000000u);
  p[kBackground] = 0xFFF0F0F0u;
  p[kOutline] = 0xFF5A4A2Au;
  p[kFolderBack] = 0xFFD9A53Fu;
  p[kFolderFront] = 0xFFF2C766u;
  p[kPaper] = 0xFFFFFFFFu;
  p[kLine] = 0xFF8C9BB8u;
  p[kShadow] = 0xFFCFCFCFu;
  p[kEdge] = 0xFF7A7A7Au;
  p[kTab] = 0xFFE8B84Fu;
  return p;
}

class Canvas {
 public:
  Canvas() : pixels_(kWidth * kHeight, kBackground) {}
  void Set(int x, int y, std::uint8_t c) {
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels_[y * kWidth + x] = c;
  }
  // A filled rectangle with a border of `edge`.
  void Box(int x, int y, int w, int h, std::uint8_t fill, std::uint8_t edge) {
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        Set(x + i, y + j, (i == 0 || j == 0 || i == w - 1 || j == h - 1) ? edge : fill);
  }
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

 private:
  std::vector<std::uint8_t> pixels_;
};

void FolderBack(Canvas& c, int x) {
  c.Box(x + 4, 12, 22, 6, kTab, kOutline);
  c.Box(x, 16, 60, 38, kFolderBack, kOutline);
}

void FolderFront(Canvas& c, int x) {
  // The front flap leans back a little: each row higher up starts one pixel further in.
  for (int row = 0; row < 24; ++row) {
    const int y = 53 - row;
    const int inset = row / 6;
    for (int i = inset; i < 62 - inset; ++i) {
      const bool edge = row == 23 || row == 0 || i == inset || i == 61 - inset;
      c.Set(x - 1 + i, y, edge ? kOutline : kFolderFront);
    }
  }
}

// A sheet of paper at flight position `t` (0: leaving the left folder, 1: in the right one).
void Page(Canvas& c, double t) {
  const double cx = 44 + (226 - 44) * t;
  const double cy = 34 - std::sin(std::numbers::pi * t) * 24;
  const double shear = std::sin(2 * std::numbers::pi * t) * 5;
  // Its shadow on the ground shrinks as it rises.
  const int half = static_cast<int>(std::lround(4 + 4 * (1 - std::sin(std::numbers::pi * t))));
  for (int i = -half; i <= half; ++i) c.Set(static_cast<int>(std::lround(cx)) + i, 57, kShadow);
  constexpr int kW = 15, kH = 19;
  for (int r = 0; r < kH; ++r) {
    const int x0 = static_cast<int>(std::lround(cx - kW / 2.0 + shear * (1.0 - r / (kH - 1.0))));
    const int y = static_cast<int>(std::lround(cy - kH / 2.0)) + r;
    for (int i = 0; i < kW; ++i) {
      std::uint8_t colour = kPaper;
      if (r == 0 || r == kH - 1 || i == 0 || i == kW - 1)
        colour = kEdge;
      else if (r >= 4 && r <= 14 && r % 3 == 1 && i >= 3 && i <= (r == 13 ? 8 : 11))
        colour = kLine;
      c.Set(x0 + i, y, colour);
    }
  }
}

std::vector<std::uint8_t> DrawFrame(int frame) {
  Canvas c;
  FolderBack(c, 14);
  FolderBack(c, 196);
  for (int k = 0; k < kFrames / 23; ++k) {
    const int age = ((frame - 23 * k) % kFrames + kFrames) % kFrames;
    if (age < kTripFrames) Page(c, static_cast<double>(age) / kTripFrames);
  }
  FolderFront(c, 14);
  FolderFront(c, 196);
  return c.Pixels();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: slp-clip-gen <output.avi>\n";
    return 2;
  }
  std::vector<std::vector<std::uint8_t>> coded;
  std::vector<std::uint8_t> previous;
  for (int f = 0; f < kFrames; ++f) {
    std::vector<std::uint8_t> picture = DrawFrame(f);
    coded.push_back(slp::EncodeRle8(picture, kWidth, kHeight, f == 0 ? nullptr : &previous));
    previous = std::move(picture);
  }
  const std::vector<std::uint8_t> clip =
      slp::WriteAviClip(kWidth, kHeight, 100000, Palette(), coded);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(clip.data()), static_cast<std::streamsize>(clip.size()));
  out.close();
  if (!out) {
    std::cerr << argv[1] << ": cannot write\n";
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
