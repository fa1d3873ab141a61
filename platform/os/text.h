#pragma once
// Text rules shared by the plain parsers: names compared the way the system compares them
// (ASCII letters only, whatever the locale), blanks trimmed, and UTF-8 walked strictly.

#include <cstddef>
#include <string>
#include <string_view>

namespace slp::text {

// A-Z to a-z; every other unit unchanged.
constexpr char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Equal when they differ only in the case of ASCII letters.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Space, tab, carriage return, vertical tab and form feed; not the line feed.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// `s` without the leading and trailing characters for which `drop` holds.
std::string_view Trim(std::string_view s, bool (*drop)(char) = IsBlank);

// One step of a UTF-8 walk. A sequence that is not well-formed (overlong, a surrogate, beyond
// U+10FFFF, cut short) is one invalid byte: the walk goes on with the next byte.
struct Utf8Step {
  std::size_t bytes = 1;    // 1 to 4
  std::size_t units = 1;    // UTF-16 units: 2 beyond the basic plane, 1 for an invalid byte
  char32_t code_point = 0;  // U+FFFD for an invalid byte
  bool valid = false;
};

// The step at `at`; requires at < text.size().
Utf8Step Utf8At(std::string_view text, std::size_t at);

// UTF-16 units of `text`, each invalid byte counting one (as a replacement character).
std::size_t Utf16Units(std::string_view text);

// Strict conversion: false (and `out` unspecified) when `in` is not well-formed UTF-8.
bool Utf8ToUtf16(std::string_view in, std::u16string& out);

// Appends the UTF-8 form of `code_point` (at most U+10FFFF).
void AppendUtf8(char32_t code_point, std::string& out);

}  // namespace slp::text
