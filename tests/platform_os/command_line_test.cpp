#include "platform/os/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace slp {
namespace {

using Args = std::vector<std::string>;

struct SplitCase {
  const char* name;
  std::string text;
  Args expected;
};

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"OnlyBlanksAndControls", " \t\r\n\x01 ", {}},
    {"Blanks", "a  b\tc", {"a", "b", "c"}},
    {"ControlCharactersSeparate",
     "a\x01"
     "b\x1f"
     "c",
     {"a", "b", "c"}},
    {"QuotedBlanksStay", "\"a b\" c", {"a b", "c"}},
    {"QuotesInsideAnArgument", "a\"b c\"d e", {"ab cd", "e"}},
    {"EmptyQuotesInsideAnArgument", "a\"\"b", {"ab"}},
    {"LeadingQuotePairsSkipped", "\"\"a \"\" \"\"\"\"b", {"a", "b"}},
    {"QuotePairThenBlankSkipped", "x \"\" y", {"x", "y"}},
    {"UnterminatedQuoteRunsToTheEnd", "a \"b c", {"a", "b c"}},
    {"LoneQuoteAtTheEndIsEmptyAndEnds", "a \"", {"a"}},
    {"QuoteOpensAfterPairSkip", "a \"\"\" b", {"a", " b"}},
    {"Utf8BytesAreNoSeparators",
     "\xc3\xa9t\xc3\xa9 \xe2\x82\xac",
     {"\xc3\xa9t\xc3\xa9", "\xe2\x82\xac"}},
    {"ZeroByteEndsTheText", std::string("a b\0c d", 7), {"a", "b"}},
    {"GreaterThanIsPlain", "/commandline=\">x> y\"", {"/commandline=>x> y"}},
    {"HandOff",
     "\"/tmp/Renewer/Renewer\" /url=\"http://h/zazavezod/download?slp.exe\" "
     "/target=\"/opt/my apps/slp\" /restart /commandline=\"/updated\"",
     {"/tmp/Renewer/Renewer", "/url=http://h/zazavezod/download?slp.exe",
      "/target=/opt/my apps/slp", "/restart", "/commandline=/updated"}},
};

class SplitArgumentsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitArgumentsTest, Divides) {
  EXPECT_EQ(SplitArguments(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitArgumentsTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JoinCommandLine, QuotesWhatWouldSplitAndSplitsBack) {
  const Args argv = {"/usr/bin/my prog", "plain", "two words", "tab\there", "é", "-x=1"};
  EXPECT_EQ(JoinCommandLine(argv), "\"/usr/bin/my prog\" plain \"two words\" \"tab\there\" é -x=1");
  EXPECT_EQ(SplitArguments(JoinCommandLine(argv)), argv);
  EXPECT_EQ(JoinCommandLine({"/p"}), "\"/p\"");
}

TEST(JoinCommandLine, EmptyArgumentsAreWrittenButNotReadBack) {
  // Written as a quote pair, which the division skips: the same happens to an empty argument
  // typed on the system the rules come from.
  EXPECT_EQ(JoinCommandLine({"/p", "", "a"}), "\"/p\" \"\" a");
  EXPECT_EQ(SplitArguments(JoinCommandLine({"/p", "", "a"})), (Args{"/p", "a"}));
}

}  // namespace
}  // namespace slp
