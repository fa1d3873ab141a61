#include "platform/os/text.h"

#include <gtest/gtest.h>

#include <string>

namespace slp::text {
namespace {

// Each text through every helper: compared with `other` without regard to ASCII case, trimmed
// of blanks, walked as UTF-8.
TEST(TextHelpers, CompareTrimAndWalk) {
  const struct {
    const char* what;
    std::string text;
    std::string other;
    bool same_ignoring_case;
    std::string trimmed;
    std::size_t utf16_units;
    bool valid_utf8;
  } cases[] = {
      {"letters of both cases", "Interval", "iNTERVAL", true, "Interval", 8, true},
      {"a different letter", "Sylp", "Sylq", false, "Sylp", 4, true},
      {"a longer name", "Sylp", "Sylpx", false, "Sylp", 4, true},
      {"empty", "", "", true, "", 0, true},
      // Only A-Z fold: characters 32 apart that are no letters stay apart.
      {"brackets and braces", "[a]", "{A}", false, "[a]", 3, true},
      {"at sign and grave accent", "@", "`", false, "@", 1, true},
      {"accented capitals", "\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", false, "\xC3\x89T\xC3\x89", 3,
       true},
      {"outer blanks", " \t\r\v\fKey = v \f", " \t\r\v\fkey = V \f", true, "Key = v", 14, true},
      {"a line feed is no blank", "\nA\n", "\na\n", true, "\nA\n", 3, true},
      {"only blanks", " \t ", " \t ", true, "", 3, true},
      {"two-byte sequence", "\xC3\xA9", "\xC3\xA9", true, "\xC3\xA9", 1, true},
      {"three-byte sequence", "\xE2\x82\xAC", "\xE2\x82\xAC", true, "\xE2\x82\xAC", 1, true},
      {"beyond the basic plane", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", true, "\xF0\x9F\x98\x80",
       2, true},
      {"the last code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF", true, "\xF4\x8F\xBF\xBF", 2,
       true},
      // An ill-formed sequence is one unit per byte, and the walk goes on after it.
      {"lead byte without its continuation", "\xC3(", "\xC3(", true, "\xC3(", 2, false},
      {"overlong form", "\xC0\xAF", "\xC0\xAF", true, "\xC0\xAF", 2, false},
      {"overlong three-byte form", "\xE0\x80\xAF", "\xE0\x80\xAF", true, "\xE0\x80\xAF", 3, false},
      {"surrogate", "\xED\xA0\x80", "\xED\xA0\x80", true, "\xED\xA0\x80", 3, false},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80", true, "\xF4\x90\x80\x80", 4,
       false},
      {"cut short at the end", "a\xE2\x82", "A\xE2\x82", true, "a\xE2\x82", 3, false},
      {"stray continuation byte", "\x80z", "\x80Z", true, "\x80z", 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(EqualsIgnoreAsciiCase(c.text, c.other), c.same_ignoring_case);
    EXPECT_EQ(EqualsIgnoreAsciiCase(c.other, c.text), c.same_ignoring_case);
    EXPECT_EQ(Trim(c.text), c.trimmed);
    EXPECT_EQ(Utf16Units(c.text), c.utf16_units);
    std::u16string utf16 = u"stale";
    EXPECT_EQ(Utf8ToUtf16(c.text, utf16), c.valid_utf8);
    if (!c.valid_utf8) continue;
    EXPECT_EQ(utf16.size(), c.utf16_units);
    // Walked code points written back give the text again.
    std::string again;
    for (std::size_t at = 0; at < c.text.size();) {
      const Utf8Step step = Utf8At(c.text, at);
      EXPECT_TRUE(step.valid);
      AppendUtf8(step.code_point, again);
      at += step.bytes;
    }
    EXPECT_EQ(again, c.text);
  }
}

}  // namespace
}  // namespace slp::text
