#include "platform/os/version_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/os_test_support.h"

namespace slp {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t Word(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

void PutWord(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

Bytes Build(const VersionDescription& d) {
  Bytes block;
  std::string error;
  EXPECT_TRUE(BuildVersionBlock(d, block, error)) << error;
  return block;
}

Bytes BuildFromText(const std::string& text) {
  VersionDescription d;
  std::string error;
  EXPECT_TRUE(ParseVersionDescription(text, d, error)) << error;
  return Build(d);
}

// One translation (English, Unicode) with one string: small enough to lay out by hand.
VersionDescription Tiny() {
  VersionDescription d;
  d.fixed.file_version_ms = 0x00010002;
  d.fixed.file_version_ls = 0x00030004;
  d.translations = {{0x0409, 0x04B0}};
  d.string_tables = {{{0x0409, 0x04B0}, {{"A", "b"}}}};
  return d;
}

// The notifier's own layout: French (France), Windows Latin 1, the standard keys.
const char kNotifierText[] = R"(
[FixedFileInfo]
FileVersion = 1.2.0.26
ProductVersion = 1.2.0.26
[VarFileInfo]
Translation = 040C04E4
[StringFileInfo 040C04E4]
CompanyName = Tarnel
FileDescription = Show notification on new G+ Posts
LegalCopyright = Copyright © Tarnel
LegalTrademarks = Tarnel ™
OriginalFilename = Sylpwatch
)";

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

TEST(VersionBlockQuery, ReadsTheFixedPartTranslationsAndStrings) {
  const Bytes b = BuildFromText(kNotifierText);
  const auto fixed = QueryFixedFileInfo(b);
  ASSERT_TRUE(fixed.has_value());
  EXPECT_EQ(fixed->file_version_ms, 0x00010002u);
  EXPECT_EQ(fixed->file_version_ls, 0x0000001Au);
  EXPECT_EQ(fixed->product_version_ls, 0x0000001Au);
  EXPECT_EQ(QueryTranslations(b), (std::vector<VersionTranslation>{{0x040C, 0x04E4}}));

  const struct {
    const char* path;
    std::optional<std::string> text;
  } cases[] = {
      {"\\StringFileInfo\\040C04E4\\CompanyName", "Tarnel"},
      {"\\StringFileInfo\\040C04E4\\FileDescription", "Show notification on new G+ Posts"},
      // Keys compare without regard to case, as the system's query does.
      {"\\stringfileinfo\\040c04e4\\COMPANYNAME", "Tarnel"},
      {"\\StringFileInfo\\040C04E4\\LegalCopyRight", "Copyright © Tarnel"},
      {"\\StringFileInfo\\040C04E4\\OriginalFileName", "Sylpwatch"},
      // No trailing s: a different key.
      {"\\StringFileInfo\\040C04E4\\LegalTradeMark", std::nullopt},
      {"\\StringFileInfo\\040C04E4\\LegalTrademarks", "Tarnel ™"},
      {"\\StringFileInfo\\040904B0\\CompanyName", std::nullopt},
      {"\\StringFileInfo\\040C04E4\\Company", std::nullopt},
      {"\\StringFileInfo\\040C04E4\\CompanyNameX", std::nullopt},
      {"\\StringFileInfo\\040C04E4\\CompanyName\\More", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QueryVersionString(b, c.path), c.text) << c.path;
  }
}

TEST(VersionBlockQuery, RootPathGivesTheFixedPartAndTranslationItsPairs) {
  const Bytes b = BuildFromText(R"(
[FixedFileInfo]
FileVersion = 5.6.7.8
[VarFileInfo]
Translation = 040904B0, 040C04E4
[StringFileInfo 040C04E4]
X = y
[StringFileInfo 040904B0]
X = z
)");
  const auto root = QueryVersionValue(b, "\\");
  ASSERT_TRUE(root.has_value());
  EXPECT_EQ(root->bytes.size(), 52u);
  EXPECT_FALSE(root->is_text);
  const auto pairs = QueryVersionValue(b, "\\VarFileInfo\\Translation");
  ASSERT_TRUE(pairs.has_value());
  EXPECT_EQ(pairs->bytes.size(), 8u);
  // Translation order as described, whatever the order of the string tables.
  EXPECT_EQ(QueryTranslations(b),
            (std::vector<VersionTranslation>{{0x0409, 0x04B0}, {0x040C, 0x04E4}}));
  EXPECT_EQ(QueryVersionString(b, "\\StringFileInfo\\040904B0\\X"), "z");
  EXPECT_EQ(QueryVersionString(b, "\\StringFileInfo\\040C04E4\\X"), "y");
}

TEST(VersionBlockQuery, TextSurvivesTheRoundTripThroughUtf16) {
  const std::string text = "Mise à jour — 更新 😀";
  VersionDescription d = Tiny();
  d.string_tables[0].strings = {{"Texte", text}, {"Empty", ""}};
  const Bytes b = Build(d);
  EXPECT_EQ(QueryVersionString(b, "\\StringFileInfo\\040904B0\\Texte"), text);
  EXPECT_EQ(QueryVersionString(b, "\\StringFileInfo\\040904B0\\Empty"), "");
}

TEST(VersionBlockQuery, TextLengthCountedInBytesIsClippedToItsNode) {
  // Some resource compilers count a String's value in bytes: twice too long.
  Bytes b = Build(Tiny());
  PutWord(b, 152 + 2, 4);
  EXPECT_EQ(QueryVersionString(b, "\\StringFileInfo\\040904B0\\A"), "b");
}

TEST(VersionBlockQuery, EveryTruncationIsNotFound) {
  const Bytes b = BuildFromText(kNotifierText);
  for (std::size_t size = 0; size < b.size(); ++size) {
    const ByteView cut(b.data(), size);
    ASSERT_FALSE(QueryVersionString(cut, "\\StringFileInfo\\040C04E4\\CompanyName")) << size;
    ASSERT_FALSE(QueryFixedFileInfo(cut)) << size;
    ASSERT_TRUE(QueryTranslations(cut).empty()) << size;
    ASSERT_TRUE(FindVersionBlock(cut).empty()) << size;
  }
}

// A file holding the block between other bytes, at an offset that is not a multiple of 4.
Bytes InFile(const Bytes& block, const Bytes& before = Bytes(1001, 0xCC)) {
  Bytes file = before;
  file.insert(file.end(), block.begin(), block.end());
  file.insert(file.end(), 777, 0x5A);
  return file;
}

TEST(VersionBlockFind, FindsTheBlockAmongOtherBytes) {
  const Bytes block = BuildFromText(kNotifierText);
  const Bytes file = InFile(block);
  const ByteView found = FindVersionBlock(file);
  ASSERT_EQ(found.size(), block.size());
  EXPECT_EQ(found.data(), file.data() + 1001);
  EXPECT_EQ(QueryVersionString(found, "\\StringFileInfo\\040C04E4\\CompanyName"), "Tarnel");
}

TEST(VersionBlockFind, SkipsTheKeyTextWhereNoBlockStands) {
  const Bytes block = BuildFromText(kNotifierText);
  // The key as a mere string in the program's data, before the real block.
  Bytes decoy(64, 0xFF);
  for (char c : std::string("VS_VERSION_INFO")) {
    decoy.push_back(static_cast<std::uint8_t>(c));
    decoy.push_back(0);
  }
  decoy.insert(decoy.end(), {0, 0, 1, 2, 3});
  const Bytes file = InFile(block, decoy);
  const ByteView found = FindVersionBlock(file);
  EXPECT_EQ(found.data(), file.data() + decoy.size());
  EXPECT_EQ(found.size(), block.size());
}

TEST(VersionBlockFind, RejectsInconsistentBlocks) {
  const Bytes good = Build(Tiny());
  const struct {
    const char* what;
    std::size_t at;
    std::uint16_t word;
  } faults[] = {
      {"root longer than the file", 0, 60000},
      {"root shorter than its header and key", 0, 20},
      {"root length zero", 0, 0},
      {"fixed part of the wrong size", 2, 51},
      {"fixed part without its signature", 40, 0x1234},
      {"StringFileInfo beyond the root", 92, 200},
      {"string table beyond StringFileInfo", 128, 80},
      {"String beyond its table", 152, 60},
      {"String shorter than its header", 152, 4},
      {"Translation value beyond its node", 200 + 2, 40},
      {"root key changed", 6, u'X'},
  };
  for (const auto& f : faults) {
    Bytes bad = good;
    PutWord(bad, f.at, f.word);
    EXPECT_TRUE(FindVersionBlock(InFile(bad)).empty()) << f.what;
  }
  EXPECT_FALSE(FindVersionBlock(InFile(good)).empty());
}

TEST(VersionBlockFind, KeyWithoutTerminatorIsNotFound) {
  Bytes b = Build(Tiny());
  // The String's key "A" loses its zero and runs into the value, then the node's end.
  PutWord(b, 152 + 8, u'x');
  PutWord(b, 152 + 10, u'x');
  PutWord(b, 164, u'x');
  PutWord(b, 166, u'x');
  EXPECT_FALSE(QueryVersionString(b, "\\StringFileInfo\\040904B0\\A"));
  EXPECT_TRUE(FindVersionBlock(InFile(b)).empty());
}

// A minimal little-endian ELF64 file whose section table names one section.
Bytes ElfWithSection(const std::string& name, const Bytes& contents, const Bytes& before) {
  Bytes f(64, 0);
  const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  std::copy(std::begin(ident), std::end(ident), f.begin());
  f.insert(f.end(), before.begin(), before.end());
  while (f.size() % 8) f.push_back(0);
  const std::uint64_t data_at = f.size();
  f.insert(f.end(), contents.begin(), contents.end());
  const std::string names = std::string("\0", 1) + name + std::string("\0.shstrtab\0", 11);
  const std::uint64_t names_at = f.size();
  f.insert(f.end(), names.begin(), names.end());
  while (f.size() % 8) f.push_back(0);
  const std::uint64_t table_at = f.size();
  auto put64 = [&](std::size_t at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  f.resize(f.size() + 3 * 64, 0);  // null section, the named one, the name table
  const std::size_t s1 = table_at + 64;
  put32(s1, 1);
  put32(s1 + 4, 1);  // SHT_PROGBITS
  put64(s1 + 0x18, data_at);
  put64(s1 + 0x20, contents.size());
  const std::size_t s2 = table_at + 128;
  put32(s2, static_cast<std::uint32_t>(1 + name.size() + 1));
  put32(s2 + 4, 3);  // SHT_STRTAB
  put64(s2 + 0x18, names_at);
  put64(s2 + 0x20, names.size());
  put64(0x28, table_at);
  PutWord(f, 0x3A, 64);
  PutWord(f, 0x3C, 3);
  PutWord(f, 0x3E, 2);
  return f;
}

TEST(VersionBlockFind, PrefersTheExecutablesOwnSectionOverCarriedPrograms) {
  VersionDescription own_d = Tiny();
  own_d.string_tables[0].strings = {{"ProductName", "Own"}};
  VersionDescription carried_d = Tiny();
  carried_d.string_tables[0].strings = {{"ProductName", "Carried"}};
  const Bytes own = Build(own_d);
  const Bytes carried = Build(carried_d);  // an embedded program's block, earlier in the file
  const char* path = "\\StringFileInfo\\040904B0\\ProductName";

  const Bytes elf = ElfWithSection(kVersionSectionName, own, carried);
  EXPECT_EQ(QueryVersionString(FindVersionBlock(elf), path), "Own");

  const Bytes other_name = ElfWithSection(".rodata", own, carried);
  EXPECT_EQ(QueryVersionString(FindVersionBlock(other_name), path), "Carried");

  // A section that holds no valid block: the search over the whole file still works.
  Bytes broken = own;
  PutWord(broken, 0, 9999);
  const Bytes bad_section = ElfWithSection(kVersionSectionName, broken, carried);
  EXPECT_EQ(QueryVersionString(FindVersionBlock(bad_section), path), "Carried");
}

TEST(VersionBlockFind, SectionTableOutsideTheFileFallsBackToTheSearch) {
  const Bytes carried = Build(Tiny());
  Bytes elf = ElfWithSection(kVersionSectionName, Build(Tiny()), carried);
  for (std::uint16_t count : {std::uint16_t{0xFFFF}, std::uint16_t{0}}) {
    PutWord(elf, 0x3C, count);
    const ByteView found = FindVersionBlock(elf);
    EXPECT_EQ(found.data(), elf.data() + 64) << count;  // the first block by search
  }
}

TEST(VersionDescriptionText, ReadsTheNotifiersOwnDescription) {
  const std::string text = testing::ReadText(SLP_SOURCE_DIR "/resources/slp.version");
  ASSERT_FALSE(text.empty());
  VersionDescription d;
  std::string error;
  ASSERT_TRUE(ParseVersionDescription(text, d, error)) << error;
  EXPECT_EQ(d.fixed.file_version_ms, 0x00010002u);
  EXPECT_EQ(d.fixed.file_version_ls, 26u);
  EXPECT_EQ(d.translations, (std::vector<VersionTranslation>{{0x040C, 1252}}));
  ASSERT_EQ(d.string_tables.size(), 1u);
  const auto& strings = d.string_tables[0].strings;
  ASSERT_EQ(strings.size(), 10u);
  EXPECT_EQ(strings[1], (std::pair<std::string, std::string>("FileDescription",
                                                             "Show notification on new G+ Posts")));
  EXPECT_EQ(strings[7], (std::pair<std::string, std::string>("ProductName", "Sylpnote")));
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
