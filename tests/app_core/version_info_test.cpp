#include "app/core/version_info.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/os/version_block.h"
#include "support/os_test_support.h"
#include "support/version_blocks.h"

// The block slp_embed_version put into this test program (resources/slp.version.in).
extern "C" {
extern const unsigned char slp_version_block[];
extern const std::size_t slp_version_block_size;
}

namespace slp {
namespace {

using testing::TempFolder;

TFileVersionInfo Stale() {
  TFileVersionInfo info;
  for (std::string* s :
       {&info.fCompanyName, &info.fFileDescription, &info.fFileVersion, &info.fInternalName,
        &info.fLegalCopyRight, &info.fLegalTradeMark, &info.fOriginalFileName, &info.fProductName,
        &info.fProductVersion, &info.fComments}) {
    *s = "stale";
  }
  info.fMajor = info.fMinor = info.fRelease = info.fBuild = 7;
  return info;
}

TEST(ReadVersionInfo, RunningExecutableGivesItsOwnBlock) {
  TFileVersionInfo info = Stale();
  ReadVersionInfo("", info);
  EXPECT_EQ(info.fCompanyName, "Tarnel");
  EXPECT_EQ(info.fFileDescription, "Show notification on new G+ Posts");
  EXPECT_EQ(info.fFileVersion, SLP_NOTIFIER_VERSION);
  EXPECT_EQ(info.fInternalName, "slp.exe");
  // "LegalCopyRight" finds LegalCopyright; "LegalTradeMark" lacks the s of LegalTrademarks.
  EXPECT_NE(info.fLegalCopyRight.find("Tarnel"), std::string::npos) << info.fLegalCopyRight;
  EXPECT_EQ(info.fLegalTradeMark, "");
  EXPECT_EQ(info.fOriginalFileName, "Sylpwatch");
  EXPECT_EQ(info.fProductName, "Sylpnote");
  EXPECT_EQ(info.fComments, "http://www.example.org/tarnel");
  const std::string numbers = std::to_string(info.fMajor) + "." + std::to_string(info.fMinor) +
                              "." + std::to_string(info.fRelease) + "." +
                              std::to_string(info.fBuild);
  EXPECT_EQ(numbers, SLP_NOTIFIER_VERSION);
  EXPECT_EQ(info.fProductVersion, std::to_string(info.fMajor) + "." + std::to_string(info.fMinor));
}

TEST(ReadVersionInfo, OwnBlockComesFromMemoryAndTheFilesSection) {
  // In memory: the very bytes the program carries, not a copy read from its file.
  const ByteView own = OwnVersionBlock();
  EXPECT_EQ(own.data(), slp_version_block);
  EXPECT_EQ(own.size(), slp_version_block_size);
  // The same block in the executable's file, by its section and by a search of all of it.
  std::ifstream in("/proc/self/exe", std::ios::binary);
  const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
  const std::vector<std::uint8_t> from_file = ReadVersionBlock("/proc/self/exe");
  for (const ByteView found : {FindVersionBlock(file), ByteView(from_file)}) {
    ASSERT_EQ(found.size(), slp_version_block_size);
    EXPECT_TRUE(std::equal(found.begin(), found.end(), slp_version_block));
  }
}

// Writes `block` into a file between other bytes, as in an executable.
std::string FileWithBlock(const TempFolder& folder, const std::vector<std::uint8_t>& block,
                          const std::string& name = "program") {
  const std::string before(4099, '\x90'), after(1234, '\0');
  const std::string path = folder / name;
  std::ofstream out(path, std::ios::binary);
  out << before;
  out.write(reinterpret_cast<const char*>(block.data()),
            static_cast<std::streamsize>(block.size()));
  out << after;
  return path;
}

TEST(ReadVersionInfo, StringsComeFromTheFirstTranslationOnly) {
  const struct {
    const char* what;
    const char* description;
    const char* company;  // "" when the first translation gives nothing
  } cases[] = {
      {"English (United States), Unicode",
       "[FixedFileInfo]\nFileVersion=2.3.4.5\n[StringFileInfo 040904B0]\nCompanyName=Maker\n",
       "Maker"},
      {"first of several, tables in another order",
       "[FixedFileInfo]\nFileVersion=2.3.4.5\n[VarFileInfo]\nTranslation=040904B0 040C04E4\n"
       "[StringFileInfo 040C04E4]\nCompanyName=Fabricant\n"
       "[StringFileInfo 040904B0]\nCompanyName=Maker\n",
       "Maker"},
      {"second of several is ignored",
       "[FixedFileInfo]\nFileVersion=2.3.4.5\n[VarFileInfo]\nTranslation=040C04E4, 040904B0\n"
       "[StringFileInfo 040C04E4]\nCompanyName=Fabricant\n"
       "[StringFileInfo 040904B0]\nCompanyName=Maker\n",
       "Fabricant"},
      {"no translation entry", "[FixedFileInfo]\nFileVersion=2.3.4.5\n", ""},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    TFileVersionInfo info = Stale();
    ReadVersionInfo(FileWithBlock(folder, testing::BuildFromText(c.description)), info);
    EXPECT_EQ(info.fCompanyName, c.company) << c.what;
    EXPECT_EQ(info.fProductName, "") << c.what;  // a key without a value
    EXPECT_EQ(info.fMajor, 2) << c.what;
    EXPECT_EQ(info.fBuild, 5) << c.what;
  }
}

TEST(ReadVersionInfo, FirstTranslationWithoutATableGivesEmptyStrings) {
  // The block says 040C04E4 comes first but has only the English table.
  VersionDescription d;
  d.fixed.file_version_ms = 0x00020003;
  d.translations = {{0x040C, 0x04E4}, {0x0409, 0x04B0}};
  d.string_tables = {{{0x0409, 0x04B0}, {{"CompanyName", "Maker"}}}};
  const std::vector<std::uint8_t> block = testing::Build(d);
  TempFolder folder;
  TFileVersionInfo info = Stale();
  ReadVersionInfo(FileWithBlock(folder, block), info);
  EXPECT_EQ(info.fCompanyName, "");
  EXPECT_EQ(info.fMinor, 3);
}

TEST(ReadVersionInfo, FileWithoutVersionDataEmptiesStringsAndKeepsNumbers) {
  TempFolder folder;
  std::vector<std::uint8_t> block = testing::BuildFromText(
      "[FixedFileInfo]\nFileVersion=2.3.4.5\n[StringFileInfo 040904B0]\nCompanyName=Maker\n");
  block[0] = 0xFF;  // the root outgrows what follows: no valid block
  block[1] = 0xFF;
  const std::string cases[] = {FileWithBlock(folder, {}, "plain"),
                               FileWithBlock(folder, block, "broken"), folder / "missing"};
  for (const auto& path : cases) {
    TFileVersionInfo info = Stale();
    ReadVersionInfo(path, info);
    EXPECT_EQ(info.fCompanyName, "") << path;
    EXPECT_EQ(info.fFileVersion, "") << path;
    EXPECT_EQ(info.fComments, "") << path;
    EXPECT_EQ(info.fMajor, 7) << path;
    EXPECT_EQ(info.fMinor, 7) << path;
    EXPECT_EQ(info.fRelease, 7) << path;
    EXPECT_EQ(info.fBuild, 7) << path;
  }
}

}  // namespace
}  // namespace slp
