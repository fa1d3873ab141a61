#include "platform/os/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "support/os_test_support.h"

namespace slp {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

TEST(IniDocumentRead, FollowsTheProfileRules) {
  const struct {
    const char* what;
    const char* text;
    std::optional<std::string> value;  // of [Sylp] Interval
  } cases[] = {
      {"plain", "[Sylp]\nInterval=5\n", "5"},
      {"any case", "[sYLP]\ninterVAL=5\n", "5"},
      {"outer blanks", "  [ Sylp ]  \n\t Interval \t=  5 7 \r\n", "5 7"},
      {"double quotes", "[Sylp]\nInterval=\" 5 \"\n", " 5 "},
      {"single quotes", "[Sylp]\nInterval='5'\n", "5"},
      {"unmatched quote", "[Sylp]\nInterval=\"5\n", "\"5"},
      {"empty value", "[Sylp]\nInterval=\n", ""},
      {"first of two", "[Sylp]\nInterval=1\nInterval=2\n", "1"},
      {"in a later section of that name", "[Sylp]\nA=1\n[Other]\nInterval=9\n[SYLP]\nInterval=3",
       "3"},
      {"other section", "[Other]\nInterval=5\n", std::nullopt},
      {"before any section", "Interval=5\n[Sylp]\n", std::nullopt},
      {"comment", "[Sylp]\n;Interval=5\n", std::nullopt},
      {"header without ']' ends nothing", "[Sylp]\n[Other\nInterval=5\n", "5"},
      {"text after ']'", "[Sylp] ; the notifier\nInterval=5\n", "5"},
      {"line without '='", "[Sylp]\nInterval\n", std::nullopt},
      {"byte order mark", "\xEF\xBB\xBF[Sylp]\nInterval=5\n", "5"},
      {"no final line break", "[Sylp]\nInterval=5", "5"},
      {"empty file", "", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniDocument(c.text).ReadString("Sylp", "Interval"), c.value) << c.what;
  }
}

TEST(IniInteger, OnlyAWholeNumberIsANumber) {
  const struct {
    const char* text;
    std::optional<int> value;
  } cases[] = {
      {"500", 500},
      {"0", 0},
      {"-3", -3},
      {"+7", 7},
      {"007", 7},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"abc", std::nullopt},
      {"12abc", std::nullopt},
      {"1 2", std::nullopt},
      {"0x10", std::nullopt},
      {"$10", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"1.5", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIniInteger(c.text), c.value) << c.text;
}

TEST(IniDocumentWrite, ChangesOneLineAndKeepsEveryOtherByte) {
  const struct {
    const char* what;
    const char* before;
    const char* after;  // after writing [Sylp] Interval=42
  } cases[] = {
      {"empty", "", "[Sylp]\nInterval=42\n"},
      {"replace", "; mine\n[Sylp]\nInterval = 5  \nOther=x\n",
       "; mine\n[Sylp]\nInterval=42\nOther=x\n"},
      {"replace keeps spelling and indentation", "[sylp]\n  interval=5\n",
       "[sylp]\n  interval=42\n"},
      {"replace with CRLF", "[A]\r\nk=1\r\n[Sylp]\r\nInterval=5\r\n\r\n",
       "[A]\r\nk=1\r\n[Sylp]\r\nInterval=42\r\n\r\n"},
      {"replace in a later section of that name", "[Sylp]\nA=1\n[Sylp]\nInterval=5\n",
       "[Sylp]\nA=1\n[Sylp]\nInterval=42\n"},
      {"replace after a byte order mark", "\xEF\xBB\xBF[Sylp]\nInterval=5",
       "\xEF\xBB\xBF[Sylp]\nInterval=42"},
      {"add after the section's last key", "[Sylp]\nA=1\n; next\n\n[B]\nc=2\n",
       "[Sylp]\nA=1\nInterval=42\n; next\n\n[B]\nc=2\n"},
      {"add to an empty section", "[Sylp]\n[B]\n", "[Sylp]\nInterval=42\n[B]\n"},
      {"add to the first of two sections", "[Sylp]\nA=1\n[B]\n[Sylp]\nC=2\n",
       "[Sylp]\nA=1\nInterval=42\n[B]\n[Sylp]\nC=2\n"},
      {"add with CRLF", "[Sylp]\r\nA=1\r\n", "[Sylp]\r\nA=1\r\nInterval=42\r\n"},
      {"add after an unterminated last line", "[Sylp]\nA=1", "[Sylp]\nA=1\nInterval=42\n"},
      {"new section at the end", "[B]\nc=2\n", "[B]\nc=2\n[Sylp]\nInterval=42\n"},
      {"new section, unterminated", "[B]\r\nc=2", "[B]\r\nc=2\r\n[Sylp]\r\nInterval=42\r\n"},
      {"key before any section is not ours", "Interval=5\n", "Interval=5\n[Sylp]\nInterval=42\n"},
  };
  for (const auto& c : cases) {
    IniDocument doc(c.before);
    EXPECT_TRUE(doc.WriteString("Sylp", "Interval", "42")) << c.what;
    EXPECT_EQ(doc.Text(), c.after) << c.what;
    EXPECT_EQ(doc.ReadString("Sylp", "Interval"), "42") << c.what;
  }
}

TEST(IniDocumentWrite, RefusesWhatCouldNotBeReadBack) {
  const struct {
    const char* section;
    const char* key;
    std::string value;
  } cases[] = {
      {"", "Interval", "1"},
      {" Sylp", "Interval", "1"},
      {"Sy]lp", "Interval", "1"},
      {"Sy\nlp", "Interval", "1"},
      {"Sylp", "", "1"},
      {"Sylp", "Inter=val", "1"},
      {"Sylp", "[Interval", "1"},
      {"Sylp", ";Interval", "1"},
      {"Sylp", "Interval ", "1"},
      {"Sylp", "Inter\rval", "1"},
      {"Sylp", "Interval", "1\n[Evil]"},
      {"Sylp", "Interval",
       std::string("1\0"
                   "2",
                   3)},
  };
  const std::string text = "[Sylp]\nInterval=5\n";
  for (const auto& c : cases) {
    IniDocument doc(text);
    EXPECT_FALSE(doc.WriteString(c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(doc.Text(), text);
  }
}

TEST(IniDocument, KeysListsSectionsAndKeysInOrder) {
  const IniDocument doc("k=0\n[A]\nx=1\n;c=2\n[B]\ny=3\n[a]\nz=4\n");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"A", "x"}, {"B", "y"}, {"a", "z"}};
  EXPECT_EQ(doc.Keys(), expected);
}

class IniFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name = "slp.ini") const { return folder_ / name; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder_.Path())) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  TempFolder folder_;
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndTheFirstWriteCreatesIt) {
  IniFile ini(Path());
  EXPECT_EQ(ini.ReadInteger("Sylp", "Interval", 1), 1);
  EXPECT_EQ(ini.ReadString("Sylp", "Name", "none"), "none");
  EXPECT_TRUE(ini.WriteInteger("Sylp", "Interval", 1));
  EXPECT_EQ(ReadText(Path()), "[Sylp]\nInterval=1\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"slp.ini"});  // no temporary file left
  EXPECT_EQ(ini.ReadInteger("Sylp", "Interval", 7), 1);
}

TEST_F(IniFileTest, ValuesThatAreNotNumbersReadAsTheDefault) {
  WriteText(Path(), "[Sylp]\nInterval=500\nBad=abc\nPart=12abc\nEmpty=\n");
  IniFile ini(Path());
  EXPECT_EQ(ini.ReadInteger("Sylp", "Interval", 1), 500);
  EXPECT_EQ(ini.ReadInteger("Sylp", "Bad", 1), 1);
  EXPECT_EQ(ini.ReadInteger("Sylp", "Part", 1), 1);
  EXPECT_EQ(ini.ReadInteger("Sylp", "Empty", 1), 1);
  EXPECT_EQ(ini.ReadString("Sylp", "Bad", ""), "abc");
}

TEST_F(IniFileTest, RewriteKeepsTheRestOfTheFileAndItsPermissions) {
  const std::string before =
      "; settings of the notifier\r\n[Window]\r\nLeft = 10\r\n\r\n[sylp]\r\n"
      "interval=5\r\n# not ours\r\nZoom=2\r\n";
  WriteText(Path(), before);
  ASSERT_EQ(chmod(Path().c_str(), 0640), 0);
  IniFile ini(Path());
  ASSERT_TRUE(ini.WriteInteger("Sylp", "Interval", 7));
  std::string expected = before;
  expected.replace(expected.find("interval=5"), 10, "interval=7");
  EXPECT_EQ(ReadText(Path()), expected);
  struct stat st {};
  ASSERT_EQ(stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Names(), std::vector<std::string>{"slp.ini"});
}

TEST_F(IniFileTest, ReplacesTheFileInsteadOfWritingIntoIt) {
  // A reader that holds the old file (here: a second name for it) sees it whole and unchanged.
  WriteText(Path(), "[Sylp]\nInterval=5\n");
  ASSERT_EQ(link(Path().c_str(), Path("held").c_str()), 0);
  ASSERT_TRUE(IniFile(Path()).WriteInteger("Sylp", "Interval", 6));
  EXPECT_EQ(ReadText(Path("held")), "[Sylp]\nInterval=5\n");
  EXPECT_EQ(ReadText(Path()), "[Sylp]\nInterval=6\n");
}

TEST_F(IniFileTest, WritesThroughASymbolicLink) {
  ASSERT_TRUE(std::filesystem::create_directory(Path("real")));
  WriteText(Path("real/slp.ini"), "[Sylp]\nInterval=5\n");
  ASSERT_EQ(symlink("real/slp.ini", Path().c_str()), 0);
  ASSERT_TRUE(IniFile(Path()).WriteInteger("Sylp", "Interval", 8));
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
  EXPECT_EQ(ReadText(Path("real/slp.ini")), "[Sylp]\nInterval=8\n");
  EXPECT_EQ(Names(), (std::vector<std::string>{"real", "slp.ini"}));
}

TEST_F(IniFileTest, RefusesADanglingLinkAndKeepsIt) {
  ASSERT_EQ(symlink("gone/slp.ini", Path().c_str()), 0);
  EXPECT_FALSE(IniFile(Path()).WriteInteger("Sylp", "Interval", 8));
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
  EXPECT_EQ(std::filesystem::read_symlink(Path()), "gone/slp.ini");
  EXPECT_EQ(Names(), std::vector<std::string>{"slp.ini"});
}

TEST_F(IniFileTest, RemovesTemporariesThatInterruptedWritesLeft) {
  // Only this file's own temporaries go; look-alikes stay.
  for (const char* name : {".slp.ini.Ab3xZ9", ".slp.ini.000000", ".slp.ini.short",
                           ".other.ini.Ab3xZ9", "x.slp.ini.Ab3xZ9", ".slp.ini.Ab3x-9"})
    WriteText(Path(name), "left");
  ASSERT_TRUE(std::filesystem::create_directory(Path(".slp.ini.folder")));
  ASSERT_TRUE(IniFile(Path()).WriteInteger("Sylp", "Interval", 9));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{".other.ini.Ab3xZ9", ".slp.ini.Ab3x-9", ".slp.ini.folder",
                                      ".slp.ini.short", "slp.ini", "x.slp.ini.Ab3xZ9"}));
}

// Two programs saving the same settings at once (two notifiers at log-out): the clean-up of
// one must not take the other's temporary file from under it.
TEST_F(IniFileTest, WritersAtTheSameTimeAllSucceed) {
  std::atomic<int> failures{0};
  auto writer = [&](int value) {
    for (int i = 0; i < 200; ++i)
      if (!WriteFileAtomically(Path(), "[Sylp]\nInterval=" + std::to_string(value) + "\n"))
        ++failures;
  };
  std::thread a(writer, 1), b(writer, 2);
  a.join();
  b.join();
  EXPECT_EQ(failures, 0);
  const std::string text = ReadText(Path());
  EXPECT_TRUE(text == "[Sylp]\nInterval=1\n" || text == "[Sylp]\nInterval=2\n") << text;
  EXPECT_EQ(Names(), std::vector<std::string>{"slp.ini"});
}

TEST_F(IniFileTest, UnwritablePlacesFailWithoutThrowing) {
  WriteText(Path("file"), "x");
  ASSERT_TRUE(std::filesystem::create_directory(Path("folder.ini")));
  const std::string places[] = {
      Path("missing/slp.ini"),  // missing folder
      Path("file/slp.ini"),     // "folder" that is a file
      Path("folder.ini"),       // a folder where the file should be
  };
  for (const auto& place : places) {
    IniFile ini(place);
    EXPECT_EQ(ini.ReadInteger("Sylp", "Interval", 3), 3) << place;
    EXPECT_FALSE(ini.WriteInteger("Sylp", "Interval", 4)) << place;
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"file", "folder.ini"}));
  EXPECT_EQ(ReadText(Path("file")), "x");
}

TEST_F(IniFileTest, UnchangedValueLeavesTheFileAlone) {
  WriteText(Path(), "[Sylp]\nInterval=5\n");
  struct stat before {};
  ASSERT_EQ(stat(Path().c_str(), &before), 0);
  ASSERT_TRUE(IniFile(Path()).WriteInteger("Sylp", "Interval", 5));
  struct stat after {};
  ASSERT_EQ(stat(Path().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

}  // namespace
}  // namespace slp
