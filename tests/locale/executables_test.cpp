// The built programs as bytes: their locating record, the appended catalog and its directory
// entry, and what msgunfmt reads back from the catalog.
#include <gtest/gtest.h>

#include "locale/catalog_directory.h"
#include "locale/catalog_record.h"
#include "locale_test_support.h"

namespace slp {
namespace {

using testing::Bytes;
using testing::CatalogTable;

struct Program {
  const char* name;
  const char* binary;  // empty: not part of this build
  const char* catalog;
  std::uint64_t catalog_size;
  const char* project;
  const CatalogTable* table;
};

const Program kPrograms[] = {
    {"slp", SLP_BINARY, SLP_CATALOG_SLP, 1965, "Sylp", &testing::kNotifierCatalog},
    {"Renewer", SLP_RENEWER_BINARY, SLP_CATALOG_RENEWER, 1948, "Renewer",
     &testing::kUpdaterCatalog},
};

void PrintTo(const Program& p, std::ostream* os) { *os << p.name; }

class BuiltProgram : public ::testing::TestWithParam<Program> {};

// msgunfmt's reading of `catalog`: the header and the entries in stored order.
CatalogTable Unformat(const Bytes& catalog) {
  testing::TempFolder folder;
  testing::WriteBytes(folder / "default.mo", catalog);
  const testing::Run run = testing::RunProgram(
      "/usr/bin/msgunfmt", {"--no-wrap", folder / "default.mo"}, {{"LC_ALL", "C.UTF-8"}});
  EXPECT_EQ(run.status, 0) << run.err;
  return testing::ParsePo(run.out);
}

void ExpectTheTable(const CatalogTable& read, const Program& p) {
  ASSERT_FALSE(read.empty());
  const std::string header = read.front().second;
  EXPECT_EQ(read.front().first, "");
  for (const std::string& field :
       {std::string("Project-Id-Version: ") + p.project + "\n", std::string("Language: fr_FR\n"),
        std::string("Content-Type: text/plain; charset=UTF-8\n"),
        std::string("X-Language: French\n"), std::string("X-Country: FRANCE\n")})
    EXPECT_NE(header.find(field), std::string::npos) << field << " not in\n" << header;
  for (const char* field : {"Last-Translator: ", "Language-Team: "})
    EXPECT_NE(header.find(field), std::string::npos) << field;
  EXPECT_EQ(CatalogTable(read.begin() + 1, read.end()), *p.table);
}

TEST_P(BuiltProgram, CompiledCatalogHasItsSizeAndExactlyTheTable) {
  const Program& p = GetParam();
  const Bytes catalog = testing::ReadBytes(p.catalog);
  EXPECT_EQ(catalog.size(), p.catalog_size);
  ExpectTheTable(Unformat(catalog), p);
}

TEST_P(BuiltProgram, CarriesItsCatalogAfterItsOwnBytes) {
  const Program& p = GetParam();
  if (std::string(p.binary).empty())
    GTEST_SKIP() << "the " << p.name << " target is not part of this build";
  const Bytes file = testing::ReadBytes(p.binary);
  ASSERT_GT(file.size(), 2048u + 256 + 8);

  // The record: the signature once, then the offset of the directory entry.
  ASSERT_EQ(testing::CountSignatures(file), 1u);
  const std::size_t record = testing::RecordAt(file);
  const std::uint64_t entry = testing::Le64At(file, record + kCatalogSignatureSize);
  // One 256-byte entry, then the 8-byte terminator at the very end.
  EXPECT_EQ(entry, file.size() - 8 - 256);
  EXPECT_EQ(testing::Le64At(file, file.size() - 8), 0u);
  EXPECT_EQ(testing::Le64At(file, entry), entry + 256);
  // The data starts at the former end of the file, 2048 bytes before the entry.
  const std::uint64_t data = entry - 2048;
  EXPECT_EQ(testing::Le64At(file, entry + 8), data);
  EXPECT_EQ(testing::Le64At(file, entry + 16), p.catalog_size);
  const std::string name(file.begin() + static_cast<std::ptrdiff_t>(entry + 24),
                         file.begin() + static_cast<std::ptrdiff_t>(entry + 256));
  const std::string expected_name = "locale\\fr_FR\\LC_MESSAGES\\default.mo";
  EXPECT_EQ(name, expected_name + std::string(232 - expected_name.size(), ' '));

  const Bytes appended(file.begin() + static_cast<std::ptrdiff_t>(data),
                       file.begin() + static_cast<std::ptrdiff_t>(data + p.catalog_size));
  EXPECT_EQ(appended, testing::ReadBytes(p.catalog));
  EXPECT_TRUE(std::all_of(file.begin() + static_cast<std::ptrdiff_t>(data + p.catalog_size),
                          file.begin() + static_cast<std::ptrdiff_t>(entry),
                          [](std::uint8_t b) { return b == 0; }));
  // The program's reader sees the same.
  const FileSource source(p.binary);
  EXPECT_EQ(ReadCatalogDirectory(source, entry),
            std::vector<AppendedCatalog>({{expected_name, data, p.catalog_size}}));
  ExpectTheTable(Unformat(appended), p);
}

INSTANTIATE_TEST_SUITE_P(Programs, BuiltProgram, ::testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace slp
