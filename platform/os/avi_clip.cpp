#include "platform/os/avi_clip.h"

#include <algorithm>
#include <cstring>

namespace slp {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t FourCC(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

// Reads at `at`, which the caller has checked lies inside `b`.
std::uint32_t U32(Bytes b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t U16(Bytes b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

constexpr int kMaxSide = 4096;
constexpr int kMaxListDepth = 4;

struct Reading {
  std::uint32_t us_per_frame = 0;
  int streams = 0;  // "strl" lists seen so far
  int video_stream = -1;
  std::uint32_t scale = 0, rate = 0;
  bool have_format = false;
  std::int32_t width = 0, height = 0;
  std::uint16_t bit_count = 0;
  std::uint32_t compression = 0;
  ClipPalette palette{};
  std::vector<Bytes> frames;
};

// "NNdc" or "NNdb": a picture of stream NN.
int PictureStream(std::uint32_t id) {
  const char c[4] = {static_cast<char>(id), static_cast<char>(id >> 8), static_cast<char>(id >> 16),
                     static_cast<char>(id >> 24)};
  if (c[2] != 'd' || (c[3] != 'c' && c[3] != 'b')) return -1;
  if (c[0] < '0' || c[0] > '9' || c[1] < '0' || c[1] > '9') return -1;
  return (c[0] - '0') * 10 + (c[1] - '0');
}

void ReadFormat(Bytes data, Reading& r) {
  if (data.size() < 40) return;
  const std::uint32_t header = U32(data, 0);
  if (header < 40 || header > data.size()) return;
  r.have_format = true;
  r.width = static_cast<std::int32_t>(U32(data, 4));
  r.height = static_cast<std::int32_t>(U32(data, 8));
  r.bit_count = U16(data, 14);
  r.compression = U32(data, 16);
  std::size_t colours = U32(data, 32);
  if (colours == 0 || colours > 256) colours = 256;
  colours = std::min(colours, (data.size() - header) / 4);
  for (std::size_t i = 0; i < colours; ++i) {
    const std::size_t at = header + 4 * i;  // blue, green, red, unused
    r.palette[i] = 0xFF000000u | static_cast<std::uint32_t>(data[at + 2]) << 16 |
                   static_cast<std::uint32_t>(data[at + 1]) << 8 | data[at];
  }
}

void Walk(Bytes body, int depth, int stream, Reading& r) {
  std::size_t at = 0;
  while (body.size() - at >= 8) {
    const std::uint32_t id = U32(body, at);
    // A chunk that claims more than is left is read as far as it goes.
    const std::size_t size = std::min<std::size_t>(U32(body, at + 4), body.size() - at - 8);
    const Bytes data = body.subspan(at + 8, size);
    at += 8 + size;
    if (size % 2 == 1 && at < body.size()) ++at;

    if (id == FourCC("LIST") && size >= 4 && depth < kMaxListDepth) {
      int inner = stream;
      if (U32(data, 0) == FourCC("strl")) inner = r.streams++;
      Walk(data.subspan(4), depth + 1, inner, r);
    } else if (id == FourCC("avih") && size >= 4) {
      r.us_per_frame = U32(data, 0);
    } else if (id == FourCC("strh") && size >= 28 && stream >= 0) {
      if (U32(data, 0) == FourCC("vids") && r.video_stream < 0) {
        r.video_stream = stream;
        r.scale = U32(data, 20);
        r.rate = U32(data, 24);
      }
    } else if (id == FourCC("strf") && stream >= 0 && stream == r.video_stream && !r.have_format) {
      ReadFormat(data, r);
    } else if (r.video_stream >= 0 && PictureStream(id) == r.video_stream) {
      r.frames.push_back(data);
    }
  }
}

// An uncompressed picture: rows of 4-byte multiples, bottom row first unless `topDown`.
void DecodePlain(Bytes data, int width, int height, bool topDown,
                 std::vector<std::uint8_t>& pixels) {
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  for (int line = 0; line < height; ++line) {
    const std::size_t from = stride * static_cast<std::size_t>(line);
    if (from >= data.size()) break;
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(width), data.size() - from);
    const int row = topDown ? line : height - 1 - line;
    std::memcpy(&pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(width)],
                data.data() + from, n);
  }
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutId(std::vector<std::uint8_t>& out, const char (&s)[5]) { Put32(out, FourCC(s)); }

// Starts a chunk and returns where its size goes.
std::size_t Open(std::vector<std::uint8_t>& out, const char (&id)[5]) {
  PutId(out, id);
  Put32(out, 0);
  return out.size() - 4;
}
void Close(std::vector<std::uint8_t>& out, std::size_t sizeAt) {
  const auto size = static_cast<std::uint32_t>(out.size() - sizeAt - 4);
  for (int i = 0; i < 4; ++i) out[sizeAt + i] = static_cast<std::uint8_t>(size >> (8 * i));
  if (size % 2 == 1) out.push_back(0);
}

}  // namespace

bool DecodeRle8(std::span<const std::uint8_t> data, int width, int height,
                std::vector<std::uint8_t>& pixels) {
  long long x = 0, line = 0;
  auto put = [&](std::uint8_t value) {
    if (x >= 0 && x < width && line >= 0 && line < height)
      pixels[static_cast<std::size_t>((height - 1 - line) * width + x)] = value;
    ++x;
  };
  std::size_t at = 0;
  while (data.size() - at >= 2) {
    const std::uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      if (line < height && x < width) {
        const long long from = std::max(x, 0ll), to = std::min<long long>(x + count, width);
        if (from < to)
          std::memset(&pixels[static_cast<std::size_t>((height - 1 - line) * width + from)], value,
                      static_cast<std::size_t>(to - from));
      }
      x += count;
    } else if (value == 0) {  // end of line
      x = 0;
      ++line;
    } else if (value == 1) {  // end of picture
      return true;
    } else if (value == 2) {  // jump right and up
      if (data.size() - at < 2) return false;
      x += data[at];
      line += data[at + 1];
      at += 2;
    } else {  // `value` literal pixels, padded to an even count
      const std::size_t n = value;
      const std::size_t have = std::min(n, data.size() - at);
      for (std::size_t i = 0; i < have; ++i) put(data[at + i]);
      if (have < n) return false;
      at += n + (n % 2);
      at = std::min(at, data.size());
    }
    if (line >= height) return true;  // nothing further can land in the picture
  }
  return false;
}

std::vector<std::uint8_t> EncodeRle8(const std::vector<std::uint8_t>& pixels, int width, int height,
                                     const std::vector<std::uint8_t>* previous) {
  std::vector<std::uint8_t> out;
  auto at = [width](int row, int x) { return static_cast<std::size_t>(row * width + x); };
  for (int line = 0; line < height; ++line) {
    const int row = height - 1 - line;
    // Length of the stretch from `x` that equals the previous frame, up to `limit`.
    auto unchanged = [&](int x, int limit) {
      int n = 0;
      while (previous != nullptr && x + n < width && n < limit &&
             (*previous)[at(row, x + n)] == pixels[at(row, x + n)])
        ++n;
      return n;
    };
    auto run = [&](int x, int limit) {
      int n = 1;
      while (x + n < width && n < limit && pixels[at(row, x + n)] == pixels[at(row, x)]) ++n;
      return n;
    };
    int x = 0;
    while (x < width) {
      const int same = unchanged(x, width);
      if (same > 0 && x + same == width) break;  // the line end skips the rest
      if (same >= 4) {
        for (int left = same; left > 0;) {
          const int d = std::min(left, 255);
          out.insert(out.end(), {0, 2, static_cast<std::uint8_t>(d), 0});
          left -= d;
        }
        x += same;
        continue;
      }
      const int r = run(x, 255);
      if (r >= 3) {
        out.insert(out.end(), {static_cast<std::uint8_t>(r), pixels[at(row, x)]});
        x += r;
        continue;
      }
      // A literal stretch, up to the next run or skippable stretch.
      int n = 1;
      while (x + n < width && n < 255 && run(x + n, 3) < 3) {
        const int u = unchanged(x + n, 4);
        if (u >= 4 || (u > 0 && x + n + u == width)) break;
        ++n;
      }
      if (n >= 3) {
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(n));
        for (int i = 0; i < n; ++i) out.push_back(pixels[at(row, x + i)]);
        if (n % 2 == 1) out.push_back(0);
      } else {
        for (int i = 0; i < n;) {
          const int k = std::min(run(x + i, 255), n - i);
          out.insert(out.end(), {static_cast<std::uint8_t>(k), pixels[at(row, x + i)]});
          i += k;
        }
      }
      x += n;
    }
    if (line + 1 < height) out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

bool AviClip::Load(std::span<const std::uint8_t> bytes, std::string& error) {
  *this = AviClip();
  if (bytes.size() < 12 || U32(bytes, 0) != FourCC("RIFF") || U32(bytes, 8) != FourCC("AVI ")) {
    error = "not an AVI file";
    return false;
  }
  const std::size_t riff = std::min<std::size_t>(U32(bytes, 4), bytes.size() - 8);
  Reading r;
  Walk(bytes.subspan(12, riff >= 4 ? riff - 4 : 0), 0, -1, r);
  if (r.video_stream < 0 || !r.have_format) {
    error = "no video stream";
    return false;
  }
  if (r.bit_count != 8 || (r.compression != 0 && r.compression != 1)) {
    error = "not an 8-bit picture, plain or run-length coded";
    return false;
  }
  const bool top_down = r.height < 0 && r.compression == 0;
  const long long height = r.height < 0 ? -static_cast<long long>(r.height) : r.height;
  if (r.width <= 0 || r.width > kMaxSide || height <= 0 || height > kMaxSide ||
      (r.height < 0 && r.compression == 1)) {
    error = "picture size out of range";
    return false;
  }
  if (r.frames.empty()) {
    error = "no frames";
    return false;
  }
  const std::size_t frame_bytes =
      static_cast<std::size_t>(r.width) * static_cast<std::size_t>(height);
  if (r.frames.size() > kMaxDecodedBytes / frame_bytes) {
    error = "clip too large";
    return false;
  }
  width_ = r.width;
  height_ = static_cast<int>(height);
  us_per_frame_ = r.us_per_frame;
  if (us_per_frame_ == 0 && r.rate != 0)
    us_per_frame_ = static_cast<std::uint32_t>(
        std::min<unsigned long long>(1000000ull * r.scale / r.rate, 0xFFFFFFFFull));
  palette_ = r.palette;
  std::vector<std::uint8_t> picture(frame_bytes, 0);
  frames_.reserve(r.frames.size());
  for (const Bytes data : r.frames) {
    // Each frame starts from the one before: coded pictures may skip what did not change.
    if (r.compression == 1)
      DecodeRle8(data, width_, height_, picture);
    else
      DecodePlain(data, width_, height_, top_down, picture);
    frames_.push_back(picture);
  }
  return true;
}

std::vector<std::uint8_t> WriteAviClip(int width, int height, std::uint32_t usPerFrame,
                                       const ClipPalette& palette,
                                       const std::vector<std::vector<std::uint8_t>>& codedFrames) {
  std::size_t largest = 0;
  for (const auto& f : codedFrames) largest = std::max(largest, f.size());
  const auto frames = static_cast<std::uint32_t>(codedFrames.size());
  const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);

  std::vector<std::uint8_t> out;
  const std::size_t riff = Open(out, "RIFF");
  PutId(out, "AVI ");
  const std::size_t hdrl = Open(out, "LIST");
  PutId(out, "hdrl");
  const std::size_t avih = Open(out, "avih");
  Put32(out, usPerFrame);
  Put32(out, usPerFrame ? static_cast<std::uint32_t>(largest * 1000000ull / usPerFrame) : 0);
  Put32(out, 0);     // padding granularity
  Put32(out, 0x10);  // has an index
  Put32(out, frames);
  Put32(out, 0);  // initial frames
  Put32(out, 1);  // streams
  Put32(out, static_cast<std::uint32_t>(largest));
  Put32(out, w);
  Put32(out, h);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  Close(out, avih);
  const std::size_t strl = Open(out, "LIST");
  PutId(out, "strl");
  const std::size_t strh = Open(out, "strh");
  PutId(out, "vids");
  PutId(out, "mrle");
  Put32(out, 0);           // flags
  Put16(out, 0);           // priority
  Put16(out, 0);           // language
  Put32(out, 0);           // initial frames
  Put32(out, usPerFrame);  // scale / rate = seconds per frame
  Put32(out, 1000000);
  Put32(out, 0);  // start
  Put32(out, frames);
  Put32(out, static_cast<std::uint32_t>(largest));
  Put32(out, 0xFFFFFFFFu);  // default quality
  Put32(out, 0);            // sample size: varies
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint16_t>(w));
  Put16(out, static_cast<std::uint16_t>(h));
  Close(out, strh);
  const std::size_t strf = Open(out, "strf");
  Put32(out, 40);
  Put32(out, w);
  Put32(out, h);
  Put16(out, 1);  // planes
  Put16(out, 8);  // bits per pixel
  Put32(out, 1);  // BI_RLE8
  Put32(out, w * h);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 256);
  Put32(out, 0);
  for (std::uint32_t c : palette) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(0);
  }
  Close(out, strf);
  Close(out, strl);
  Close(out, hdrl);

  const std::size_t movi = Open(out, "LIST");
  const std::size_t movi_id = out.size();
  PutId(out, "movi");
  std::vector<std::pair<std::uint32_t, std::uint32_t>> index;  // offset, size
  for (const auto& f : codedFrames) {
    index.emplace_back(static_cast<std::uint32_t>(out.size() - movi_id),
                       static_cast<std::uint32_t>(f.size()));
    const std::size_t chunk = Open(out, "00dc");
    out.insert(out.end(), f.begin(), f.end());
    Close(out, chunk);
  }
  Close(out, movi);
  const std::size_t idx1 = Open(out, "idx1");
  for (std::size_t i = 0; i < index.size(); ++i) {
    PutId(out, "00dc");
    Put32(out, i == 0 ? 0x10 : 0);  // key frame
    Put32(out, index[i].first);
    Put32(out, index[i].second);
  }
  Close(out, idx1);
  Close(out, riff);
  return out;
}

}  // namespace slp
