#pragma once
// Silent AVI clips of one 8-bit video stream, stored plain or run-length coded (BI_RLE8, the
// "mrle" codec): the reader that the animation control plays from, and the writer that the
// build tool makes the updater's clip with.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace slp {

// Palette entries as 0xAARRGGBB with AA = 0xFF.
using ClipPalette = std::array<std::uint32_t, 256>;

// Applies one BI_RLE8 picture to `pixels` (width x height palette indices, top row first).
// Pixels the picture skips (line ends, jumps, an early end) keep their values, which is how a
// frame builds on the one before. Codes beyond the picture's edges are dropped. Returns false
// when the data ends before the end-of-picture code.
bool DecodeRle8(std::span<const std::uint8_t> data, int width, int height,
                std::vector<std::uint8_t>& pixels);

// Codes `pixels` (top row first) as one BI_RLE8 picture. With `previous` (the frame before,
// same size), unchanged pixels are skipped rather than coded.
std::vector<std::uint8_t> EncodeRle8(const std::vector<std::uint8_t>& pixels, int width, int height,
                                     const std::vector<std::uint8_t>* previous);

class AviClip {
 public:
  // Reads a whole clip file and decodes every frame. On failure returns false, names the
  // problem in `error` and holds no frames.
  bool Load(std::span<const std::uint8_t> bytes, std::string& error);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  std::uint32_t MicrosecondsPerFrame() const { return us_per_frame_; }
  const ClipPalette& Palette() const { return palette_; }
  // Frame `index` (0 to FrameCount() - 1): Width() x Height() palette indices, top row first.
  const std::vector<std::uint8_t>& Frame(int index) const {
    return frames_[static_cast<std::size_t>(index)];
  }

  // Largest clip accepted, as decoded pixels over all frames.
  static constexpr std::size_t kMaxDecodedBytes = 64u << 20;

 private:
  int width_ = 0;
  int height_ = 0;
  std::uint32_t us_per_frame_ = 0;
  ClipPalette palette_{};
  std::vector<std::vector<std::uint8_t>> frames_;
};

// Writes a clip of run-length coded frames (each from EncodeRle8); the first frame is marked
// as the key frame.
std::vector<std::uint8_t> WriteAviClip(int width, int height, std::uint32_t usPerFrame,
                                       const ClipPalette& palette,
                                       const std::vector<std::vector<std::uint8_t>>& codedFrames);

}  // namespace slp
