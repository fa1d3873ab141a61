// Animation clips from arbitrary bytes: reading never fails in any other way than by saying
// so, and what it accepts is a set of whole frames. The same bytes as pictures must come back
// unchanged through run-length coding, alone and against a previous frame.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/os/avi_clip.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  slp::AviClip clip;
  std::string error;
  if (clip.Load(bytes, error)) {
    Check(error.empty());
    Check(clip.FrameCount() > 0 && clip.Width() > 0 && clip.Height() > 0);
    for (int f = 0; f < clip.FrameCount(); ++f)
      Check(clip.Frame(f).size() == static_cast<std::size_t>(clip.Width() * clip.Height()));
  } else {
    Check(!error.empty() && clip.FrameCount() == 0);
  }

  // Raw codes on a small picture stay inside it.
  std::vector<std::uint8_t> picture(7 * 5, 0);
  slp::DecodeRle8(bytes, 7, 5, picture);
  Check(picture.size() == 35);

  if (size < 2) return 0;
  const int width = 1 + data[0] % 64;
  const std::size_t area = (size - 1) / 2;
  const int height = static_cast<int>(area / static_cast<std::size_t>(width));
  if (height == 0) return 0;
  const std::size_t n = static_cast<std::size_t>(width * height);
  const std::vector<std::uint8_t> previous(data + 1, data + 1 + n);
  std::vector<std::uint8_t> current(data + 1 + n, data + 1 + 2 * n);
  std::vector<std::uint8_t> decoded(n, 0x5A);
  Check(slp::DecodeRle8(slp::EncodeRle8(current, width, height, nullptr), width, height, decoded));
  Check(decoded == current);
  decoded = previous;
  Check(
      slp::DecodeRle8(slp::EncodeRle8(current, width, height, &previous), width, height, decoded));
  Check(decoded == current);
  return 0;
}
