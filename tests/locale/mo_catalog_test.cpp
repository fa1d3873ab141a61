// The MO reader: real msgfmt output, both byte orders, and bytes that lie.
#include "locale/mo_catalog.h"

#include <gtest/gtest.h>

#include "locale_test_support.h"

namespace slp {
namespace {

using testing::BuildMo;
using testing::Bytes;
using testing::CatalogTable;

std::optional<MoCatalog> Parse(const Bytes& bytes, std::string* error = nullptr) {
  return MoCatalog::Parse(bytes, error);
}

TEST(MoCatalog, ReadsBothCompiledCatalogsEntryByEntry) {
  struct Case {
    const char* file;
    const CatalogTable* table;
    const char* project;
  };
  const Case cases[] = {{SLP_CATALOG_SLP, &testing::kNotifierCatalog, "Sylp"},
                        {SLP_CATALOG_RENEWER, &testing::kUpdaterCatalog, "Renewer"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto catalog = Parse(testing::ReadBytes(c.file));
    ASSERT_TRUE(catalog);
    EXPECT_EQ(catalog->Count(), c.table->size() + 1);
    for (const auto& [english, french] : *c.table) EXPECT_EQ(catalog->Find(english), french);
    EXPECT_TRUE(catalog->DeclaresUtf8());
    EXPECT_NE(catalog->Header().find(std::string("Project-Id-Version: ") + c.project + "\n"),
              std::string_view::npos);
    EXPECT_EQ(catalog->Find("Not in the catalog"), std::nullopt);
    EXPECT_EQ(catalog->Find("exit"), std::nullopt) << "keys are exact bytes";
    EXPECT_EQ(catalog->Find("Exit "), std::nullopt);
  }
}

TEST(MoCatalog, OrderAndByteOrderDoNotMatter) {
  const CatalogTable entries = {{"Zebra", "Zèbre"}, {"Apple", "Pomme"}, {"Mango", "Mangue"}};
  struct Case {
    const char* what;
    testing::MoOptions options;
  };
  const Case cases[] = {
      {"little-endian, sorted", {}},
      {"big-endian", {.big_endian = true}},
      {"unsorted", {.sorted = false}},
      {"revision 1 with a hash table", {.revision = 1u << 16, .hash_size = 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto catalog = Parse(BuildMo(entries, testing::kUtf8Header, c.options));
    ASSERT_TRUE(catalog);
    EXPECT_EQ(catalog->Find("Apple"), "Pomme");
    EXPECT_EQ(catalog->Find("Mango"), "Mangue");
    EXPECT_EQ(catalog->Find("Zebra"), "Zèbre");
    EXPECT_EQ(catalog->Find("Banana"), std::nullopt);
  }
}

TEST(MoCatalog, PluralEntriesAreFoundByTheirSingularAndEqualKeysByTheFirst) {
  const CatalogTable entries = {
      {std::string("file\0files", 10), std::string("fichier\0fichiers", 16)},
      {"twice", "first"},
      {"twice", "second"}};
  const auto catalog = Parse(BuildMo(entries));
  ASSERT_TRUE(catalog);
  EXPECT_EQ(catalog->Find("file"), "fichier");
  EXPECT_EQ(catalog->Find("files"), std::nullopt);
  EXPECT_EQ(catalog->Find("twice"), "first");
}

TEST(MoCatalog, CharsetOfTheHeader) {
  struct Case {
    const char* header;  // nullptr: no header entry
    const char* charset;
    bool utf8;
  };
  const Case cases[] = {
      {"Content-Type: text/plain; charset=UTF-8\n", "UTF-8", true},
      {"MIME-Version: 1.0\ncontent-type: text/plain; CHARSET=utf-8", "utf-8", true},
      {"Content-Type: text/plain; charset=UTF8; format=flowed\n", "UTF8", true},
      {"Content-Type: text/plain; charset=ISO-8859-1\n", "ISO-8859-1", false},
      {"Content-Type: text/plain; charset=CHARSET\n", "CHARSET", false},
      {"Content-Type: text/plain\n", "", false},
      {"X-Note: charset=UTF-8 is not this field\n", "", false},
      {"", "", false},
      {nullptr, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header ? c.header : "(no header)");
    const auto catalog = Parse(BuildMo({{"Exit", "Quitter"}}, c.header));
    ASSERT_TRUE(catalog);
    EXPECT_EQ(catalog->Charset(), c.charset);
    EXPECT_EQ(catalog->DeclaresUtf8(), c.utf8);
  }
}

TEST(MoCatalog, EveryOffsetAndLengthIsCheckedAgainstTheData) {
  const Bytes good = BuildMo({{"Exit", "Quitter"}, {"Refresh", "Rafraîchir"}});
  ASSERT_TRUE(Parse(good));
  auto put32 = [](Bytes b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + static_cast<std::size_t>(i)) = (v >> (8 * i)) & 0xff;
    return b;
  };
  // Header: magic, revision, count N, originals O, translations T, hash size, hash offset;
  // with 3 entries the originals table is at 28, the translations at 52, strings from 76.
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"shorter than a header", Bytes(good.begin(), good.begin() + 27)},
      {"wrong magic", put32(good, 0, 0x12345678)},
      {"unknown major revision", put32(good, 4, 2u << 16)},
      {"count beyond the data", put32(good, 8, 0x7fffffff)},
      {"count whose table size overflows 32 bits", put32(good, 8, 0xffffffff)},
      {"originals table beyond the data", put32(good, 12, static_cast<std::uint32_t>(good.size()))},
      {"translations table at the end", put32(good, 16, 0xfffffff0)},
      {"hash table beyond the data", put32(put32(good, 20, 100), 24, 60)},
      {"an identifier's length beyond the data", put32(good, 28 + 8, 0xffffff00)},
      {"an identifier's offset beyond the data", put32(good, 28 + 8 + 4, 0xfffffff0)},
      {"a translation ending one byte past the data",
       put32(good, 52 + 16 + 4, static_cast<std::uint32_t>(good.size()) - 10)},
      {"cut before its last string", Bytes(good.begin(), good.end() - 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_FALSE(Parse(c.bytes, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace slp
