#include "tools/version_block/version_description.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/os_test_support.h"
#include "support/version_blocks.h"

namespace slp {
namespace {

using testing::Build;
using testing::Bytes;
using testing::Tiny;
using testing::Word;

TEST(VersionBlockBuild, LaysOutNodesAsTheSystemDoes) {
  const Bytes b = Build(Tiny());
  // Offsets worked out by hand: header, key, padding to 4, value, children on 4-byte bounds;
  // a node's length ends with its last child, text values count 16-bit units with the zero.
  struct Header {
    std::size_t at;
    std::uint16_t length, value_length, type;
    const char* key;
  } const headers[] = {
      {0, 236, 52, 0, "VS_VERSION_INFO"}, {92, 76, 0, 1, "StringFileInfo"},
      {128, 40, 0, 1, "040904B0"},        {152, 16, 2, 1, "A"},
      {168, 68, 0, 1, "VarFileInfo"},     {200, 36, 4, 0, "Translation"},
  };
  ASSERT_EQ(b.size(), 236u);
  for (const auto& h : headers) {
    SCOPED_TRACE(h.key);
    EXPECT_EQ(Word(b, h.at), h.length);
    EXPECT_EQ(Word(b, h.at + 2), h.value_length);
    EXPECT_EQ(Word(b, h.at + 4), h.type);
    const std::size_t key_length = std::strlen(h.key);
    for (std::size_t i = 0; i <= key_length; ++i) {
      EXPECT_EQ(Word(b, h.at + 6 + 2 * i), i < key_length ? h.key[i] : 0);
    }
  }
  EXPECT_EQ(Word(b, 40) | (std::uint32_t{Word(b, 42)} << 16), 0xFEEF04BDu);  // signature
  EXPECT_EQ(Word(b, 164), u'b');    // the String's value...
  EXPECT_EQ(Word(b, 166), 0);       // ...and its terminator
  EXPECT_EQ(Word(b, 232), 0x0409);  // Translation: language,
  EXPECT_EQ(Word(b, 234), 0x04B0);  // then code page
}

TEST(VersionBlockBuild, RefusesNodesLongerThanTheirLengthField) {
  VersionDescription d = Tiny();
  d.string_tables[0].strings.emplace_back("Big", std::string(40000, 'x'));
  Bytes block;
  std::string error;
  EXPECT_FALSE(BuildVersionBlock(d, block, error));
  EXPECT_NE(error.find("65535"), std::string::npos) << error;
  EXPECT_TRUE(block.empty());
}

TEST(VersionDescriptionText, TheNotifiersDescriptionCarriesTheProjectVersion) {
  // As the build configured it from resources/slp.version.in.
  const std::string text = testing::ReadText(SLP_NOTIFIER_DESCRIPTION);
  ASSERT_FALSE(text.empty());
  VersionDescription d;
  std::string error;
  ASSERT_TRUE(ParseVersionDescription(text, d, error)) << error;
  unsigned part[4] = {};
  ASSERT_EQ(
      std::sscanf(SLP_NOTIFIER_VERSION, "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]), 4);
  EXPECT_EQ(d.fixed.file_version_ms, part[0] << 16 | part[1]);
  EXPECT_EQ(d.fixed.file_version_ls, part[2] << 16 | part[3]);
  EXPECT_EQ(d.fixed.product_version_ms, d.fixed.file_version_ms);
  EXPECT_EQ(d.fixed.product_version_ls, d.fixed.file_version_ls);
  EXPECT_EQ(d.translations, (std::vector<VersionTranslation>{{0x040C, 1252}}));
  ASSERT_EQ(d.string_tables.size(), 1u);
  using Entry = std::pair<std::string, std::string>;
  const auto& strings = d.string_tables[0].strings;
  ASSERT_EQ(strings.size(), 10u);
  EXPECT_EQ(strings[1], Entry("FileDescription", "Show notification on new G+ Posts"));
  EXPECT_EQ(strings[2], Entry("FileVersion", SLP_NOTIFIER_VERSION));
  EXPECT_EQ(strings[7], Entry("ProductName", "Sylpnote"));
  EXPECT_EQ(strings[8],
            Entry("ProductVersion", std::to_string(part[0]) + "." + std::to_string(part[1])));
}

TEST(VersionDescriptionText, DefaultsAndQuotes) {
  VersionDescription d;
  std::string error;
  ASSERT_TRUE(
      ParseVersionDescription("\xEF\xBB\xBF[FixedFileInfo]\nFileVersion = 3.4\n"
                              "FileType = 0x2\n"
                              "[StringFileInfo 040904b0]\n"
                              "Padded = \"  two blanks  \"\n",
                              d, error))
      << error;
  EXPECT_EQ(d.fixed.file_version_ms, 0x00030004u);
  EXPECT_EQ(d.fixed.file_version_ls, 0u);
  EXPECT_EQ(d.fixed.product_version_ms, d.fixed.file_version_ms);  // product follows file
  EXPECT_EQ(d.fixed.file_type, 2u);
  EXPECT_EQ(d.fixed.file_os, 0x00040004u);
  // Without a Translation line, the string tables in order.
  EXPECT_EQ(d.translations, (std::vector<VersionTranslation>{{0x0409, 0x04B0}}));
  EXPECT_EQ(d.string_tables[0].strings[0].second, "  two blanks  ");
}

TEST(VersionDescriptionText, ErrorsNameTheirLine) {
  using namespace std::string_view_literals;
  const struct {
    std::string_view text;  // may hold zero bytes
    const char* line;
  } cases[] = {
      {"[FixedFileInfo]\nFileVersion = 1.2.3.4.5\n", "line 2"},
      {"[FixedFileInfo]\nFileVersion = 1.70000\n", "line 2"},
      {"[FixedFileInfo]\nFileVersion = 1..2\n", "line 2"},
      {"[FixedFileInfo]\nFileVersion = 1.2\nFileOS = many\n", "line 3"},
      {"[FixedFileInfo]\nColour = 1\n", "line 2"},
      {"FileVersion = 1\n", "line 1"},
      {"[Other]\n", "line 1"},
      {"[FixedFileInfo\n", "line 1"},
      {"[FixedFileInfo]\nFileVersion\n", "line 2"},
      {"[FixedFileInfo]\nFileVersion=1\n[VarFileInfo]\nTranslation = 040C\n", "line 4"},
      {"[FixedFileInfo]\nFileVersion=1\n[StringFileInfo 0409]\n", "line 3"},
      {"[FixedFileInfo]\nFileVersion=1\n[StringFileInfo 040904B0]\nA=1\na=2\n", "line 5"},
      {"[FixedFileInfo]\nFileVersion=1\n[StringFileInfo 040904B0]\n[StringFileInfo 040904B0]\n",
       "line 4"},
      {"[FixedFileInfo]\nFileVersion=1\n[StringFileInfo 040904B0]\nA=\xC3\x28\n", "line 4"},
      {"[FixedFileInfo]\nFileVersion=1\n[StringFileInfo 040904B0]\nA\\B=1\n", "line 4"},
      {"[FixedFileInfo]\nFileVersion=1\n[StringFileInfo 040904B0]\nA=1\0002\n"sv, "line 4"},
      {"[FixedFileInfo]\nProductVersion=1\n", "FileVersion"},
      {"[FixedFileInfo]\nFileVersion=1\n[VarFileInfo]\nTranslation=040C04E4\n", "040C04E4"},
  };
  for (const auto& c : cases) {
    VersionDescription d;
    std::string error;
    EXPECT_FALSE(ParseVersionDescription(c.text, d, error)) << c.text;
    EXPECT_NE(error.find(c.line), std::string::npos) << c.text << " -> " << error;
  }
}

}  // namespace
}  // namespace slp
