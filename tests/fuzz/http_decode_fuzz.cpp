// Reply decoding from arbitrary bytes and Content-Type values: the text is always valid UTF-8,
// a body whose charset nobody names reads byte for byte, and a UTF-8 body named UTF-8 reads
// as itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/http/http_client.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      n = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // the sequence runs past the end
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n + 1;
  }
  return true;
}

std::size_t HighBytes(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s) n += static_cast<unsigned char>(c) >= 0x80;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 65536) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  // The first byte picks the Content-Type: none, a fixed one, or one read from the input up
  // to its first line feed.
  std::string contentType;
  std::string_view body = input;
  switch (data[0] % 4) {
    case 0:
      break;
    case 1:
      contentType = "text/html";
      break;
    case 2:
      contentType = "text/plain; charset=utf-8";
      break;
    default: {
      const std::size_t nl = input.find('\n');
      contentType = std::string(input.substr(0, nl));
      body = nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1);
    }
  }

  const std::string text = slp::DecodeBody(body, contentType);
  Check(IsValidUtf8(text));
  Check(text == slp::DecodeBody(body, contentType));

  const std::string charset = slp::BodyCharset(body, contentType);
  if (charset.empty()) Check(text.size() == body.size() + HighBytes(body));
  if (data[0] % 4 == 2 && IsValidUtf8(body)) Check(text == body);
  return 0;
}
