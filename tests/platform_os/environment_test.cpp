#include "platform/os/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "support/os_test_support.h"

namespace slp {
namespace {

using testing::TableEnvironment;

TEST(ExpandEnvironment, ReferencesFollowTheSystemRules) {
  const auto env = TableEnvironment({{"HOME", "/home/ann"}, {"A", "1"}, {"B", "2"}});
  const struct {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"%HOME%/x", "/home/ann/x"},
      {"%A%%B%", "12"},
      {"%A%-%B%", "1-2"},
      {"%NOPE%", "%NOPE%"},        // an unknown name stays as written
      {"%NOPE%A%", "%NOPE%A%"},    // ...marks included: "A" after it is not a reference
      {"%%", "%%"},                // no name
      {"100% sure", "100% sure"},  // no closing mark
      {"50%A%", "501"},
      {"", ""},
      {"  \t%A%\r\n", "1"},  // outer blanks and control characters go
      {"\x01 in %A% side \x1F", "in 1 side"},
  };
  for (const auto& c : cases) {
    std::string result = "stale";
    EXPECT_TRUE(ExpandEnvironment(c.text, result, env)) << c.text;
    EXPECT_EQ(result, c.expanded) << c.text;
  }
}

TEST(ExpandEnvironment, ResultThatDoesNotFitTheBufferLeavesTheTextUnchanged) {
  // 1024 UTF-16 characters including the terminating zero, counted before trimming.
  auto repeat = [](const char* unit, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += unit;
    return s;
  };
  const struct {
    const char* what;
    std::string text;
    std::string value;
    bool fits;
  } cases[] = {
      {"1023 characters", "%LONG%", repeat("x", 1023), true},
      {"1024 characters", "%LONG%", repeat("x", 1024), false},
      {"outer blanks count", " %LONG% ", repeat("x", 1021), true},
      {"outer blanks count too", " %LONG% ", repeat("x", 1022), false},
      {"two UTF-8 bytes, one character", "%LONG%", repeat("é", 1023), true},
      {"outside the basic plane, two characters", "%LONG%", repeat("😀", 512), false},
  };
  for (const auto& c : cases) {
    std::string result;
    EXPECT_EQ(ExpandEnvironment(c.text, result, TableEnvironment({{"LONG", c.value}})), c.fits)
        << c.what;
    EXPECT_EQ(result, c.fits ? c.value : c.text) << c.what;
  }
}

TEST(ExpandEnvironment, AppDataFallsBackToTheDesktopConfigurationFolder) {
  const struct {
    const char* what;
    std::map<std::string, std::string> env;
    const char* expanded;
  } cases[] = {
      {"APPDATA wins", {{"APPDATA", "/a/b"}, {"XDG_CONFIG_HOME", "/x"}}, "/a/b"},
      {"XDG_CONFIG_HOME", {{"XDG_CONFIG_HOME", "/x/conf"}, {"HOME", "/h"}}, "/x/conf"},
      {"empty APPDATA", {{"APPDATA", ""}, {"XDG_CONFIG_HOME", "/x"}}, "/x"},
      {"relative XDG_CONFIG_HOME", {{"XDG_CONFIG_HOME", "conf"}, {"HOME", "/h"}}, "/h/.config"},
      {"empty XDG_CONFIG_HOME", {{"XDG_CONFIG_HOME", ""}, {"HOME", "/h/"}}, "/h/.config"},
      {"HOME", {{"HOME", "/home/ann"}}, "/home/ann/.config"},
      {"nothing", {{"HOME", "relative"}}, "%appdata%"},
  };
  for (const auto& c : cases) {
    std::string result;
    EXPECT_TRUE(ExpandEnvironment("%appdata%", result, TableEnvironment(c.env))) << c.what;
    EXPECT_EQ(result, c.expanded) << c.what;
  }
}

TEST(SystemEnvironment, NamesMatchWithoutRegardToCase) {
  ASSERT_EQ(setenv("SLP_TEST_EXPAND", "value", 1), 0);
  const auto env = SystemEnvironment();
  EXPECT_EQ(env("SLP_TEST_EXPAND"), "value");
  EXPECT_EQ(env("slp_test_Expand"), "value");
  EXPECT_EQ(env("SLP_TEST_EXPAN"), std::nullopt);
  std::string result;
  EXPECT_TRUE(ExpandEnvironment("[%Slp_Test_Expand%]", result));
  EXPECT_EQ(result, "[value]");
  // An exact match is preferred where POSIX allows names differing in case only.
  ASSERT_EQ(setenv("slp_test_expand", "lower", 1), 0);
  EXPECT_EQ(env("slp_test_expand"), "lower");
  EXPECT_EQ(env("SLP_TEST_EXPAND"), "value");
  unsetenv("SLP_TEST_EXPAND");
  unsetenv("slp_test_expand");
  EXPECT_EQ(env("SLP_TEST_EXPAND"), std::nullopt);
}

}  // namespace
}  // namespace slp
