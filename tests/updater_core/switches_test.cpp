#include "updater/core/switches.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace slp::renewer {
namespace {

// A whole command line as the updater's process receives it, and what it reads from it.
struct SwitchCase {
  const char* name;
  std::string commandLine;
  std::string url;
  std::string target;
  std::string commandLineValue;
  bool restart;
};

const SwitchCase kSwitchCases[] = {
    {"NoArguments", "\"/tmp/Renewer/Renewer\"", "", "", "", false},
    {"OnlyATarget", "\"/r/Renewer\" /target=/opt/slp/slp", "", "/opt/slp/slp", "", false},
    {"HyphenAndCapitals", "\"/r/Renewer\" -URL=http://h/x?slp.exe", "http://h/x?slp.exe", "", "",
     false},
    {"ValueInTheNextArgument", "\"/r/Renewer\" /url= http://h/x /target=/t", "http://h/x", "/t", "",
     false},
    {"NextArgumentIsASwitch", "\"/r/Renewer\" /url= /target=/t", "", "/t", "", false},
    {"NextArgumentIsAHyphenSwitch", "\"/r/Renewer\" /url= -restart", "", "", "", true},
    {"NothingAfterTheLastSwitch", "\"/r/Renewer\" /target=/t /url=", "", "/t", "", false},
    {"ColonAfterTheName", "\"/r/Renewer\" /url=:http://h/x", "http://h/x", "", "", false},
    {"OnlyOneColonSkipped", "\"/r/Renewer\" /url=::x", ":x", "", "", false},
    {"OnlyAColon", "\"/r/Renewer\" /url=: next", "", "", "", false},
    {"TwoUrlSwitchesFirstCounts", "\"/r/Renewer\" /url=http://first -url=http://second",
     "http://first", "", "", false},
    {"RestartWithAValue", "\"/r/Renewer\" /restart=1", "", "", "", false},
    {"RestartWithMoreLetters", "\"/r/Renewer\" /restarts -restartx", "", "", "", false},
    {"RestartInCapitals", "\"/r/Renewer\" -RESTART", "", "", "", true},
    {"QuotedTargetWithBlanks", "\"/r/Renewer\" /target=\"/opt/my apps/slp\"", "",
     "/opt/my apps/slp", "", false},
    {"QuotesRestoredFromGreaterThan", "\"/r/Renewer\" /commandline=\">/home/me/my file> -v\"", "",
     "", "\"/home/me/my file\" -v", false},
    {"GreaterThanOfTheNotifierComesBackAsAQuote", "\"/r/Renewer\" /commandline=a>b", "", "", "a\"b",
     false},
    {"BareFileNameAsTarget", "\"/r/Renewer\" /target=slp.exe", "", "slp.exe", "", false},
    {"NameWithoutEqualsIsNoMatch", "\"/r/Renewer\" /url http://h /targetx=/t", "", "", "", false},
    {"NoSwitchCharacter", "\"/r/Renewer\" url=http://h target=/t restart", "", "", "", false},
    {"ProgramPathIsNotSearched", "/url=http://h -restart", "", "", "", true},
    {"ProgramPathAloneIsNotSearched", "/url=http://h", "", "", "", false},
    {"HandOff",
     "\"/tmp/slp-0/Renewer/Renewer\" /url=\"http://www.example.org/zazavezod/download?slp.exe\" "
     "/target=\"/opt/my apps/slp\" /restart /commandline=\"/updated\"",
     "http://www.example.org/zazavezod/download?slp.exe", "/opt/my apps/slp", "/updated", true},
    {"HandOffInAnyOrder",
     "\"/r/Renewer\" /commandline=\"-a >b c>\" -RESTART /Target=\"/t\" /URL=\"http://h\"",
     "http://h", "/t", "-a \"b c\"", true},
};

class ReadSwitchesTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(ReadSwitchesTest, Reads) {
  const SwitchCase& c = GetParam();
  const Switches s = ReadSwitches(CountedArguments(c.commandLine));
  EXPECT_EQ(s.sUrl, c.url);
  EXPECT_EQ(s.sTarget, c.target);
  EXPECT_EQ(s.sCommandLine, c.commandLineValue);
  EXPECT_EQ(s.bRestart, c.restart);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadSwitchesTest, ::testing::ValuesIn(kSwitchCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A switch without a value still counts as present, which ends the search at it.
TEST(FindSwitchValue, PresentWithoutValue) {
  std::string value = "stale";
  EXPECT_TRUE(FindSwitchValue({"/url=", "/target=/t"}, "url=", value));
  EXPECT_EQ(value, "");
  EXPECT_TRUE(FindSwitchValue({"/url=", "", "/url=second"}, "url=", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(FindSwitchValue({"/target=/t"}, "url=", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(FindSwitchValue({}, "url=", value));
}

// What the notifier writes for its own arguments survives the whole way: quotes become ">",
// the division into arguments keeps them inside the quoted value, and reading turns them back.
TEST(ReadSwitches, NotifierArgumentsRoundTrip) {
  for (const std::string args : {"/updated", "\"/home/me/a b\" /x", "-k \"\"", "x\"y"}) {
    std::string written = args;
    std::replace(written.begin(), written.end(), '"', '>');
    const std::string line =
        "\"/r/Renewer\" /url=\"http://h\" /target=\"/t\" /restart "
        "/commandline=\"" +
        written + "\"";
    EXPECT_EQ(ReadSwitches(CountedArguments(line)).sCommandLine, args) << line;
  }
}

}  // namespace
}  // namespace slp::renewer
