#include "platform/os/text.h"

#include <algorithm>

namespace slp::text {

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

std::string_view Trim(std::string_view s, bool (*drop)(char)) {
  while (!s.empty() && drop(s.front())) s.remove_prefix(1);
  while (!s.empty() && drop(s.back())) s.remove_suffix(1);
  return s;
}

Utf8Step Utf8At(std::string_view text, std::size_t at) {
  const Utf8Step invalid{1, 1, U'\uFFFD', false};
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return {1, 1, lead, true};
  std::size_t bytes = 0;
  char32_t cp = 0;
  // The second byte's range carries the rules against overlong forms, surrogates and values
  // beyond U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    bytes = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    bytes = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    bytes = 4;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return invalid;
  }
  if (text.size() - at < bytes) return invalid;
  for (std::size_t k = 1; k < bytes; ++k) {
    const auto c = static_cast<unsigned char>(text[at + k]);
    if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return invalid;
    cp = (cp << 6) | (c & 0x3F);
  }
  return {bytes, bytes == 4 ? 2u : 1u, cp, true};
}

std::size_t Utf16Units(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Step step = Utf8At(text, at);
    units += step.units;
    at += step.bytes;
  }
  return units;
}

bool Utf8ToUtf16(std::string_view in, std::u16string& out) {
  out.clear();
  for (std::size_t at = 0; at < in.size();) {
    const Utf8Step step = Utf8At(in, at);
    if (!step.valid) return false;
    if (step.code_point >= 0x10000) {
      const char32_t v = step.code_point - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(step.code_point));
    }
    at += step.bytes;
  }
  return true;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace slp::text
