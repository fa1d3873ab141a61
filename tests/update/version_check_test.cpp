// The version check's rules: the request address, how a reply reads, what it announces.
#include "update/version_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace slp {
namespace {

std::string English(std::string_view text) { return std::string(text); }

TEST(VersionCheckTest, RequestAsksWithTheOwnVersion) {
  EXPECT_EQ(VersionRequestUrl("http://www.example.org/slp/version?", "1.2.0.26"),
            "http://www.example.org/slp/version?1.2.0.26");
  EXPECT_EQ(VersionRequestUrl("http://h/slp/version?", ""), "http://h/slp/version?");
  EXPECT_EQ(VersionRequestUrl("http://h/slp/version?", "1.2 beta&x"),
            "http://h/slp/version?1.2%20beta%26x");
}

TEST(VersionCheckTest, AnyFailureReadsAsTheOwnVersion) {
  struct Case {
    const char* what;
    HttpReply reply;
    std::string text;
  };
  const Case cases[] = {
      {"an answer", {true, 200, "1.2.1.0", "text/plain", ""}, "1.2.1.0"},
      {"an empty answer", {true, 204, "", "", ""}, ""},
      {"an answer in its charset",
       {true, 200, "v\xE9", "text/plain; charset=latin1", ""},
       "v\xC3\xA9"},
      {"not found", {false, 404, "1.2.1.0", "text/plain", "HTTP status 404"}, "1.2.0.26"},
      {"no connection", {false, 0, "", "", "Couldn't connect to server"}, "1.2.0.26"},
      {"a redirect", {false, 302, "", "", "HTTP status 302"}, "1.2.0.26"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(VersionReplyText(c.reply, "1.2.0.26"), c.text);
  }
}

// `count` copies of `piece`.
std::string Times(int count, const std::string& piece) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(VersionCheckTest, AnnouncesEveryReplyButTheOwnVersion) {
  const std::string head = "A new version is available: ";
  const std::string tail = ".\r\n\r\nClick to close Sylpwatch and update your version.";
  const std::string eAcute = "\xC3\xA9";        // one UTF-16 unit
  const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E: two UTF-16 units
  struct Case {
    const char* what;
    std::string reply;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"the same version", "1.2.0.26", std::nullopt},
      {"a newer version", "1.2.1.0", head + "1.2.1.0" + tail},
      {"a lower version", "1.1.0.0", head + "1.1.0.0" + tail},
      {"a trailing line break", "1.2.0.26\r\n", head + "1.2.0.26\r\n" + tail},
      {"a trailing blank", "1.2.0.26 ", head + "1.2.0.26 " + tail},
      {"empty", "", head + tail},
      {"20 characters", Times(20, "x"), head + Times(20, "x") + tail},
      {"21 characters", Times(21, "x"), head + tail},
      {"30 characters", Times(30, "7"), head + tail},
      {"20 two-byte characters", Times(20, eAcute), head + Times(20, eAcute) + tail},
      {"10 characters beyond the BMP are 20 units", Times(10, clef), head + Times(10, clef) + tail},
      {"11 characters beyond the BMP are 22 units", Times(11, clef), head + tail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(UpdateAnnouncement(c.reply, "1.2.0.26", "Sylpwatch", English), c.text);
  }
}

TEST(VersionCheckTest, EachPieceIsTranslatedByItsEnglishText) {
  std::vector<std::string> asked;
  auto french = [&asked](std::string_view english) {
    asked.emplace_back(english);
    if (english == "A new version is available: ") return std::string("Nouvelle version : ");
    if (english == "Click to close") return std::string("Cliquez pour fermer");
    if (english == "and update your version.") return std::string("et mettre à jour.");
    return std::string("?");
  };
  EXPECT_EQ(UpdateAnnouncement("1.3", "1.2", "Sylpwatch", french),
            "Nouvelle version : 1.3.\r\n\r\nCliquez pour fermer Sylpwatch et mettre à jour.");
  EXPECT_EQ(asked, (std::vector<std::string>{"A new version is available: ", "Click to close",
                                             "and update your version."}));
  // The program's name is not translated.
  EXPECT_EQ(UpdateAnnouncement("1.3", "1.2", "", french),
            "Nouvelle version : 1.3.\r\n\r\nCliquez pour fermer  et mettre à jour.");
}

}  // namespace
}  // namespace slp
