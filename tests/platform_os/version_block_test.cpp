#include "platform/os/version_block.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/os_test_support.h"
#include "support/version_blocks.h"

namespace slp {
namespace {

using testing::Build;
using testing::BuildFromText;
using testing::Bytes;
using testing::PutWord;
using testing::TempFolder;
using testing::Tiny;

// Laid out as the notifier's: French (France), Windows Latin 1, the standard keys.
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

// The same rules through a file as through its bytes in memory.
TEST(VersionBlockFind, PrefersTheExecutablesOwnSectionOverCarriedPrograms) {
  VersionDescription own_d = Tiny();
  own_d.string_tables[0].strings = {{"ProductName", "Own"}};
  VersionDescription carried_d = Tiny();
  carried_d.string_tables[0].strings = {{"ProductName", "Carried"}};
  const Bytes own = Build(own_d);
  const Bytes carried = Build(carried_d);  // an embedded program's block, earlier in the file
  Bytes broken = own;
  PutWord(broken, 0, 9999);
  const struct {
    const char* what;
    Bytes file;
    std::optional<std::string> product;
  } cases[] = {
      {"own section", ElfWithSection(kVersionSectionName, own, carried), "Own"},
      {"section of another name", ElfWithSection(".rodata", own, carried), "Carried"},
      // The search over the whole file still works.
      {"section without a valid block", ElfWithSection(kVersionSectionName, broken, carried),
       "Carried"},
      {"not an ELF file", InFile(carried), "Carried"},
      {"no block at all", ElfWithSection(kVersionSectionName, Bytes(8, 0), Bytes(99, 'A')),
       std::nullopt},
  };
  const char* path = "\\StringFileInfo\\040904B0\\ProductName";
  TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(QueryVersionString(FindVersionBlock(c.file), path), c.product);
    testing::WriteText(folder / "program", std::string(c.file.begin(), c.file.end()));
    EXPECT_EQ(QueryVersionString(ReadVersionBlock(folder / "program"), path), c.product);
  }
}

TEST(VersionBlockFind, NothingToReadIsNoBlock) {
  TempFolder folder;
  EXPECT_TRUE(ReadVersionBlock(folder / "missing").empty());
  EXPECT_TRUE(ReadVersionBlock(folder.Path()).empty());
  // This test program carries no block of its own.
  EXPECT_TRUE(OwnVersionBlock().empty());
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

}  // namespace
}  // namespace slp
