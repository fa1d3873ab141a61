#include "monitor/page_analysis.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace slp {
namespace {

// The stream page as the browser hands it over: `marker` is the whole marker text
// ("Stream</span></div>"), an empty time or counter leaves that part out.
std::string Page(std::string_view marker, std::string_view time, std::string_view counter) {
  std::string page = "<html><body><div class=\"nav\"><span>";
  page += marker;
  page += "<div class=\"bar\"><a href=\"/notifications\">";
  if (!counter.empty()) {
    page += "<span class=\"count\"><span>";
    page += counter;
    page += "</span></span></a>";
  } else {
    page += "</a>";
  }
  page += "</div><div class=\"stream\"><div class=\"post\"><span><a href=\"/posts/17\">";
  if (!time.empty()) {
    page += time;
    page += "</a></span> &nbsp;-&nbsp; <span>Public</span>";
  } else {
    page += "Yesterday</a></span>";
  }
  page += "<p>Meeting at 18:30, room 12.</p></div></div></body></html>";
  return page;
}

// Short sources are searched byte by byte, longer ones 16 bytes at a time: each case runs
// as written and between neutral bytes that make it long.
std::string Padded(std::string_view source) {
  const std::string pad(40, '.');
  return pad + std::string(source) + pad;
}

constexpr std::string_view kEnglish = "Stream</span></div>";
constexpr std::string_view kFrench = "Flux</span></div>";
constexpr std::string_view kTimeTail = "</a></span> &nbsp;-&nbsp; <";
constexpr std::string_view kCounterTail = "</span></span></a>";

// ---------------------------------------------------------------------------------------
// One check after another, as the refresh timer runs them.

struct Step {
  const char* what;
  std::string page;
  Change change;
  const char* last_time;
  const char* last_notif;
};

TEST(DetectChangeTest, SequenceOfChecks) {
  const std::vector<Step> steps = {
      {"first check records both silently", Page(kEnglish, "09:41", "3"), Change::None, "09:41",
       "3"},
      {"new post wins; the counter is not read", Page(kEnglish, "09:55", "4"), Change::LastPost,
       "09:55", "3"},
      {"the waiting counter change comes next", Page(kEnglish, "09:55", "4"), Change::Notification,
       "09:55", "4"},
      {"counter 5", Page(kEnglish, "09:55", "5"), Change::Notification, "09:55", "5"},
      {"counter falls to 0 silently", Page(kEnglish, "09:55", "0"), Change::None, "09:55", "0"},
      {"counter 1 after 0", Page(kEnglish, "09:55", "1"), Change::Notification, "09:55", "1"},
      {"French page, nothing new", Page(kFrench, "09:55", "1"), Change::None, "09:55", "1"},
      {"French page, new post", Page(kFrench, "10:02", "1"), Change::LastPost, "10:02", "1"},
      {"marker in capitals", Page("STREAM</SPAN></DIV>", "10:02", "2"), Change::Notification,
       "10:02", "2"},
      {"page without marker", Page("Home</span></div>", "11:00", "7"), Change::None, "10:02", "2"},
      {"empty source", "", Change::None, "10:02", "2"},
      {"time going backwards", Page(kEnglish, "08:00", "2"), Change::LastPost, "08:00", "2"},
      {"same minute again", Page(kEnglish, "08:00", "2"), Change::None, "08:00", "2"},
  };
  std::string sLastTime;
  std::string sLastNotif;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(DetectChange(step.page, sLastTime, sLastNotif), step.change);
    EXPECT_EQ(sLastTime, step.last_time);
    EXPECT_EQ(sLastNotif, step.last_notif);
  }
}

// ---------------------------------------------------------------------------------------
// One check from a given state.

struct ChangeCase {
  const char* name;
  std::string source;
  const char* time_before;
  const char* notif_before;
  Change change;
  const char* time_after;
  const char* notif_after;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class DetectChangeCaseTest : public testing::TestWithParam<ChangeCase> {};

TEST_P(DetectChangeCaseTest, AnnouncesAndStores) {
  const ChangeCase& c = GetParam();
  std::string sLastTime = c.time_before;
  std::string sLastNotif = c.notif_before;
  EXPECT_EQ(DetectChange(c.source, sLastTime, sLastNotif), c.change);
  EXPECT_EQ(sLastTime, c.time_after);
  EXPECT_EQ(sLastNotif, c.notif_after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DetectChangeCaseTest,
    testing::Values(
        ChangeCase{"MarkerOnly", std::string(kEnglish), "09:41", "3", Change::None, "09:41", "3"},
        ChangeCase{"NothingChanged", Page(kEnglish, "09:41", "3"), "09:41", "3", Change::None,
                   "09:41", "3"},
        // The first time is stored without an announcement, so the counter is still read.
        ChangeCase{"FirstTimeThenCounter", Page(kEnglish, "09:41", "5"), "", "3",
                   Change::Notification, "09:41", "5"},
        ChangeCase{"FirstCounter", Page(kEnglish, "09:41", "5"), "09:41", "", Change::None, "09:41",
                   "5"},
        ChangeCase{"FirstCounterZero", Page(kEnglish, "09:41", "0"), "09:41", "", Change::None,
                   "09:41", "0"},
        ChangeCase{"NoTimeOnPage", Page(kEnglish, "", "5"), "09:41", "3", Change::Notification,
                   "09:41", "5"},
        ChangeCase{"NoCounterOnPage", Page(kEnglish, "09:41", ""), "09:41", "3", Change::None,
                   "09:41", "3"},
        ChangeCase{"NewPostWithoutCounter", Page(kEnglish, "09:42", ""), "09:41", "3",
                   Change::LastPost, "09:42", "3"},
        ChangeCase{"MarkerAtTheEnd", Page("", "09:42", "3") + std::string(kFrench), "09:41", "3",
                   Change::LastPost, "09:42", "3"},
        ChangeCase{"UnmarkedPageKeepsEmptyValues", Page("Home</span></div>", "09:41", "3"), "", "",
                   Change::None, "", ""}),
    [](const testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Stream markers.

struct MarkerCase {
  const char* name;
  std::string source;
  bool marked;
};

void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.name; }

class StreamMarkerTest : public testing::TestWithParam<MarkerCase> {};

TEST_P(StreamMarkerTest, Recognises) {
  EXPECT_EQ(HasStreamMarker(GetParam().source), GetParam().marked);
  EXPECT_EQ(HasStreamMarker(Padded(GetParam().source)), GetParam().marked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamMarkerTest,
    testing::Values(MarkerCase{"English", Page(kEnglish, "", ""), true},
                    MarkerCase{"French", Page(kFrench, "", ""), true},
                    MarkerCase{"Capitals", "<b>STREAM</SPAN></DIV>", true},
                    MarkerCase{"MixedCase", "fLuX</sPaN></DiV>", true},
                    MarkerCase{"WordEndingInMarkerWord", "Upstream</span></div>", true},
                    MarkerCase{"AfterManyOtherTails",
                               "<div><span>Status</span></div><span>Stream</span> </div>"
                               "<span>Flow</span></div><span>flux</span></div>",
                               true},
                    MarkerCase{"Empty", "", false},
                    MarkerCase{"OtherWord", "Home</span></div>", false},
                    MarkerCase{"Plural", "Streams</span></div>", false},
                    MarkerCase{"BlankBetweenTags", "Stream</span> </div>", false},
                    MarkerCase{"Truncated", "<span>Stream</span></div", false},
                    MarkerCase{"WordAfterTags", "</span></div>Stream", false},
                    MarkerCase{"WordOnly", "Stream Flux", false},
                    // Only ASCII letters fold: bytes that differ from '<', '/', '>' by the case bit
                    // are not those characters.
                    MarkerCase{"CaseBitOnPunctuation", "stream\x1C/span>\x1C/div\x1E", false},
                    MarkerCase{"NonAsciiLookalike", "\xC5\xBFtream</span></div>", false},  // U+017F
                    MarkerCase{"DottedCapitalI", "Stream</span></d\xC4\xB0v>", false}),    // U+0130
    [](const testing::TestParamInfo<MarkerCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Post time and counter: PCRE2's first match.

struct FindCase {
  const char* name;
  std::string source;
  std::optional<std::string> found;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

std::string PrintName(const testing::TestParamInfo<FindCase>& info) { return info.param.name; }

class PostTimeTest : public testing::TestWithParam<FindCase> {};

TEST_P(PostTimeTest, FindsFirstMatch) {
  EXPECT_EQ(FindPostTime(GetParam().source), GetParam().found);
  EXPECT_EQ(FindPostTime(Padded(GetParam().source)), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostTimeTest,
    testing::Values(
        FindCase{"AtStartOfSource", "12:34</a></span> &nbsp;-&nbsp; <", "12:34"},
        FindCase{"InPage", Page(kEnglish, "09:41", "3"), "09:41"},
        FindCase{"FirstOfSeveral",
                 "<a>10:00</a></span> &nbsp;-&nbsp; <b><a>09:00</a></span> &nbsp;-&nbsp; <",
                 "10:00"},
        // The match starts at the first place where the whole pattern fits.
        FindCase{"ThreeDigitHours", "123:45</a></span> &nbsp;-&nbsp; <", "23:45"},
        FindCase{"ThreeDigitMinutes", "12:345</a></span> &nbsp;-&nbsp; <", std::nullopt},
        FindCase{"OneDigitHour", "<a>9:45</a></span> &nbsp;-&nbsp; <", std::nullopt},
        FindCase{"OneDigitHourThenGoodOne",
                 "<a>9:45</a></span> &nbsp;-&nbsp; <a>07:15</a></span> &nbsp;-&nbsp; <", "07:15"},
        FindCase{"LettersThenGoodOne",
                 "ab:cd</a></span> &nbsp;-&nbsp; <i>11:22</a></span> &nbsp;-&nbsp; <", "11:22"},
        FindCase{"NearMissesThenGoodOne",
                 "12:34</a></span> <b>12:34</a></span> &nbsp;-&nbsp; x"
                 "12:34</a></span> &nbsp;-&nbsp;<12.34</a></span> &nbsp;-&nbsp; <"
                 "<a>21:09</a></span> &nbsp;-&nbsp; <",
                 "21:09"},
        FindCase{"TailOnly", std::string(kTimeTail), std::nullopt},
        FindCase{"ShortHeadAtStart", "2:34</a></span> &nbsp;-&nbsp; <", std::nullopt},
        FindCase{"MissingFinalBracket", "12:34</a></span> &nbsp;-&nbsp; ", std::nullopt},
        // The browser keeps the entity as written; the character it stands for is no match.
        FindCase{"NoBreakSpaceCharacter", "12:34</a></span> \xC2\xA0-\xC2\xA0 <", std::nullopt},
        FindCase{"NumericEntity", "12:34</a></span> &#160;-&#160; <", std::nullopt},
        FindCase{"EntityInCapitals", "12:34</a></span> &NBSP;-&NBSP; <", std::nullopt},
        FindCase{"TagsInCapitals", "12:34</A></SPAN> &nbsp;-&nbsp; <", std::nullopt},
        FindCase{"ArabicIndicDigits",
                 "\xD9\xA1\xD9\xA2:\xD9\xA3\xD9\xA4</a></span> &nbsp;-&nbsp; <", std::nullopt},
        FindCase{"Empty", "", std::nullopt}),
    PrintName);

class CounterTest : public testing::TestWithParam<FindCase> {};

TEST_P(CounterTest, FindsFirstMatch) {
  EXPECT_EQ(FindCounter(GetParam().source), GetParam().found);
  EXPECT_EQ(FindCounter(Padded(GetParam().source)), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CounterTest,
    testing::Values(FindCase{"AtStartOfSource", ">3</span></span></a>", "3"},
                    FindCase{"InPage", Page(kEnglish, "09:41", "12"), "12"},
                    FindCase{"ManyDigits", ">" + std::string(300, '7') + std::string(kCounterTail),
                             std::string(300, '7')},
                    FindCase{"LeadingZeros", ">007</span></span></a>", "007"},
                    FindCase{"FirstOfSeveral", ">4</span></span></a>>9</span></span></a>", "4"},
                    FindCase{"DigitsBeforeBracket", "12>34</span></span></a>", "34"},
                    FindCase{"NearMissesThenGoodOne",
                             ">12</span></span></b>a12</span></span></a>> 5</span></span></a>"
                             "></span></span></a>>1</span></span></span></a>>7</span></span></a>",
                             "7"},
                    FindCase{"DigitsAtStartWithoutBracket", "42</span></span></a>", std::nullopt},
                    FindCase{"TailOnly", std::string(kCounterTail), std::nullopt},
                    FindCase{"OtherTagOrder", ">5</span></a></span>", std::nullopt},
                    FindCase{"TagsInCapitals", ">5</SPAN></SPAN></A>", std::nullopt},
                    FindCase{"Empty", "", std::nullopt}),
    PrintName);

// ---------------------------------------------------------------------------------------
// Positions: the search runs 16 bytes at a time with a byte-wise remainder; every value
// must be found wherever it stands, also in the last bytes of the source.

TEST(PageAnalysisPositionTest, FindsEachValueAtEveryOffset) {
  const std::string time = "12:34" + std::string(kTimeTail);
  const std::string counter = ">56" + std::string(kCounterTail);
  const std::string marker = "sTrEaM</SpAn></DiV>";
  for (size_t before = 0; before <= 70; ++before) {
    for (size_t after : std::initializer_list<size_t>{0, 1, 2, 15, 16, 17, 31}) {
      SCOPED_TRACE(testing::Message() << "before " << before << ", after " << after);
      // '<' and '/' keep the search busy with bytes of the tails.
      const std::string fill_before(before, before % 2 ? '<' : '/');
      const std::string fill_after(after, '<');
      EXPECT_EQ(FindPostTime(fill_before + time + fill_after), "12:34");
      EXPECT_EQ(FindCounter(fill_before + counter + fill_after), "56");
      EXPECT_TRUE(HasStreamMarker(fill_before + marker + fill_after));
      // One byte short of each.
      EXPECT_EQ(FindPostTime(fill_before + time.substr(0, time.size() - 1)), std::nullopt);
      EXPECT_EQ(FindCounter(fill_before + counter.substr(1) + fill_after), std::nullopt);
      EXPECT_FALSE(HasStreamMarker(fill_before + marker.substr(0, marker.size() - 1)));
    }
  }
}

TEST(PageAnalysisPositionTest, FindsValuesAtTheEndOfALargePage) {
  // Near misses of every pattern, repeated, then the real values in the last bytes.
  const std::string_view noise =
      "<div><a href=\"/p/18\">12:34</a></span> <span>Status</span></div>"
      "12:34</a></span> &nbsp;-&nbsp; x ab:cd</a></span> &nbsp;-&nbsp; <"
      "<b>42</span></span></b> x42</span></span></a> 2024-03-14 11:22:33 ";
  std::string page;
  while (page.size() < (1 << 20)) page += noise;
  page += "<div><span>Flux</span></div><a>23:59</a></span> &nbsp;-&nbsp; <";
  page += "<a><span><span>>8</span></span></a>";

  EXPECT_TRUE(HasStreamMarker(page));
  EXPECT_EQ(FindPostTime(page), "23:59");
  EXPECT_EQ(FindCounter(page), "8");
  std::string sLastTime = "23:58";
  std::string sLastNotif = "8";
  EXPECT_EQ(DetectChange(page, sLastTime, sLastNotif), Change::LastPost);
  EXPECT_EQ(sLastTime, "23:59");
}

}  // namespace
}  // namespace slp
