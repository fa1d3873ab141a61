#include "platform/os/avi_clip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace slp {
namespace {

using Pixels = std::vector<std::uint8_t>;

// A picture with long runs, short runs and noise, different for every seed.
Pixels Picture(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  Pixels p(static_cast<std::size_t>(width * height));
  std::size_t i = 0;
  while (i < p.size()) {
    const int kind = static_cast<int>(random() % 3);
    const std::size_t length = kind == 0 ? 1 + random() % 400 : 1 + random() % 6;
    const auto colour = static_cast<std::uint8_t>(random() % (kind == 2 ? 256 : 4));
    for (std::size_t k = 0; k < length && i < p.size(); ++k)
      p[i++] = kind == 2 ? static_cast<std::uint8_t>(random()) : colour;
  }
  return p;
}

// `base` with a few patches changed, as the next frame of a clip.
Pixels Changed(Pixels base, unsigned seed) {
  std::mt19937 random(seed);
  for (int patch = 0; patch < 5; ++patch) {
    const std::size_t at = random() % base.size();
    const std::size_t length = 1 + random() % 40;
    for (std::size_t k = at; k < at + length && k < base.size(); ++k)
      base[k] = static_cast<std::uint8_t>(random());
  }
  return base;
}

TEST(Rle8, EncodedPicturesDecodeToThemselves) {
  for (int width : {1, 2, 3, 4, 5, 254, 255, 256, 257, 270, 600}) {
    for (int height : {1, 3, 60}) {
      SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
      const Pixels first = Picture(width, height, static_cast<unsigned>(width * 31 + height));
      const Pixels second = Changed(first, static_cast<unsigned>(width + height));
      Pixels decoded(first.size(), 0xEE);
      EXPECT_TRUE(DecodeRle8(EncodeRle8(first, width, height, nullptr), width, height, decoded));
      EXPECT_EQ(decoded, first);
      // A frame coded against the one before builds on it.
      EXPECT_TRUE(DecodeRle8(EncodeRle8(second, width, height, &first), width, height, decoded));
      EXPECT_EQ(decoded, second);
    }
  }
}

TEST(Rle8, UnchangedPicturesCodeSmall) {
  const Pixels p = Picture(270, 60, 7);
  const auto coded = EncodeRle8(p, 270, 60, &p);
  EXPECT_LE(coded.size(), 60u * 2);  // a line end per line
  Pixels decoded = p;
  EXPECT_TRUE(DecodeRle8(coded, 270, 60, decoded));
  EXPECT_EQ(decoded, p);
}

// Hand-made codes on a 4 x 3 picture that starts as all 9. Lines count from the bottom.
TEST(Rle8, DecodesEachCode) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> data;
    bool complete;
    Pixels expected;  // top row first
  } const cases[] = {
      {"runs and line ends",
       {2, 1, 2, 2, 0, 0, 4, 3, 0, 1},
       true,
       {9, 9, 9, 9, 3, 3, 3, 3, 1, 1, 2, 2}},
      {"literal with padding",
       {0, 3, 5, 6, 7, 0, 1, 8, 0, 1},
       true,
       {9, 9, 9, 9, 9, 9, 9, 9, 5, 6, 7, 8}},
      {"jump right and up", {0, 2, 1, 2, 1, 4, 0, 1}, true, {9, 4, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
      {"early end keeps the rest", {1, 0, 0, 1, 5, 5}, true, {9, 9, 9, 9, 9, 9, 9, 9, 0, 9, 9, 9}},
      {"runs past the edge are dropped",
       {9, 1, 0, 0, 1, 2, 0, 1},
       true,
       {9, 9, 9, 9, 2, 9, 9, 9, 1, 1, 1, 1}},
      {"lines above the top are dropped",
       {0, 0, 0, 0, 0, 0, 3, 6},
       true,
       {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
      {"cut in a literal", {0, 4, 5, 6}, false, {9, 9, 9, 9, 9, 9, 9, 9, 5, 6, 9, 9}},
      {"cut in a jump", {1, 4, 0, 2, 1}, false, {9, 9, 9, 9, 9, 9, 9, 9, 4, 9, 9, 9}},
      {"no end code", {2, 4}, false, {9, 9, 9, 9, 9, 9, 9, 9, 4, 4, 9, 9}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Pixels p(12, 9);
    EXPECT_EQ(DecodeRle8(c.data, 4, 3, p), c.complete);
    EXPECT_EQ(p, c.expected);
  }
}

ClipPalette TestPalette() {
  ClipPalette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i)
    palette[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x010203u & 0xFFFFFFu);
  return palette;
}

std::vector<std::uint8_t> TestClip(std::vector<Pixels>& frames, int width = 30, int height = 7) {
  std::vector<std::vector<std::uint8_t>> coded;
  for (int f = 0; f < 5; ++f) {
    frames.push_back(f == 0 ? Picture(width, height, 1) : Changed(frames.back(), f));
    coded.push_back(EncodeRle8(frames.back(), width, height, f == 0 ? nullptr : &frames[f - 1]));
  }
  return WriteAviClip(width, height, 100000, TestPalette(), coded);
}

TEST(AviClip, ReadsWhatTheWriterWrote) {
  std::vector<Pixels> frames;
  const auto bytes = TestClip(frames);
  AviClip clip;
  std::string error;
  ASSERT_TRUE(clip.Load(bytes, error)) << error;
  EXPECT_EQ(clip.Width(), 30);
  EXPECT_EQ(clip.Height(), 7);
  EXPECT_EQ(clip.MicrosecondsPerFrame(), 100000u);
  EXPECT_EQ(clip.Palette(), TestPalette());
  ASSERT_EQ(clip.FrameCount(), 5);
  for (int f = 0; f < 5; ++f) EXPECT_EQ(clip.Frame(f), frames[static_cast<std::size_t>(f)]) << f;
  // The stream says what it is: a video stream of run-length coded 8-bit pictures.
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("vidsmrle"), std::string::npos);
  EXPECT_EQ(text.substr(0, 4), "RIFF");
  EXPECT_EQ(text.substr(8, 4), "AVI ");
}

// Changes `bytes` where `marker` (a chunk id or field) stands.
std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, const std::string& marker,
                                  std::size_t offset, const std::vector<std::uint8_t>& with) {
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t at = text.find(marker);
  EXPECT_NE(at, std::string::npos) << marker;
  if (at != std::string::npos) std::copy(with.begin(), with.end(), bytes.begin() + at + offset);
  return bytes;
}

TEST(AviClip, RefusesWhatItCannotPlay) {
  std::vector<Pixels> frames;
  const auto good = TestClip(frames);
  // Offsets from the "strf" id: size at 4, then the picture header.
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string error;
  } const cases[] = {
      {"empty", {}, "not an AVI file"},
      {"wave file", Patched(good, "AVI ", 0, {'W', 'A', 'V', 'E'}), "not an AVI file"},
      {"audio only", Patched(good, "vids", 0, {'a', 'u', 'd', 's'}), "no video stream"},
      {"24 bits", Patched(good, "strf", 8 + 14, {24, 0}),
       "not an 8-bit picture, plain or run-length coded"},
      {"other codec", Patched(good, "strf", 8 + 16, {2, 0, 0, 0}),
       "not an 8-bit picture, plain or run-length coded"},
      {"zero width", Patched(good, "strf", 8 + 4, {0, 0, 0, 0}), "picture size out of range"},
      {"huge", Patched(good, "strf", 8 + 4, {0x01, 0x10, 0, 0}), "picture size out of range"},
      {"coded upside down", Patched(good, "strf", 8 + 8, {0xF9, 0xFF, 0xFF, 0xFF}),
       "picture size out of range"},
      {"no frames", WriteAviClip(30, 7, 100000, TestPalette(), {}), "no frames"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AviClip clip;
    std::string error;
    EXPECT_FALSE(clip.Load(c.bytes, error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(clip.FrameCount(), 0);
  }
}

TEST(AviClip, ATruncatedFilePlaysTheFramesItHolds) {
  std::vector<Pixels> frames;
  const auto good = TestClip(frames);
  const std::string text(good.begin(), good.end());
  // Cut inside the third frame's data.
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) at = text.find("00dc", at + 1);
  const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(at + 12));
  AviClip clip;
  std::string error;
  ASSERT_TRUE(clip.Load(cut, error)) << error;
  ASSERT_EQ(clip.FrameCount(), 3);
  EXPECT_EQ(clip.Frame(0), frames[0]);
  EXPECT_EQ(clip.Frame(1), frames[1]);
}

TEST(AviClip, PlainPicturesBottomUpOrTopDown) {
  // One 3 x 2 frame; rows padded to 4 bytes.
  std::vector<std::vector<std::uint8_t>> rows = {{1, 2, 3, 0, 4, 5, 6, 0}};
  auto bytes = WriteAviClip(3, 2, 50000, TestPalette(), rows);
  bytes = Patched(bytes, "strf", 8 + 16, {0, 0, 0, 0});  // BI_RGB
  AviClip clip;
  std::string error;
  ASSERT_TRUE(clip.Load(bytes, error)) << error;
  EXPECT_EQ(clip.Frame(0), (Pixels{4, 5, 6, 1, 2, 3}));
  bytes = Patched(bytes, "strf", 8 + 8, {0xFE, 0xFF, 0xFF, 0xFF});  // height -2
  ASSERT_TRUE(clip.Load(bytes, error)) << error;
  EXPECT_EQ(clip.Frame(0), (Pixels{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(clip.MicrosecondsPerFrame(), 50000u);
}

}  // namespace
}  // namespace slp
