// Catalogs appended to an executable: the layout the appender writes, what it refuses, and
// the reader of the directory on good and damaged files.
#include "locale/catalog_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "locale/catalog_record.h"
#include "locale/language.h"
#include "locale_test_support.h"

namespace slp {

// Readable failures.
static void PrintTo(const AppendedCatalog& c, std::ostream* os) {
  *os << "{\"" << c.name << "\", " << c.offset << ", " << c.size << "}";
}

namespace {

using testing::Bytes;
using testing::Le64At;
using testing::PutLe64At;

const std::string kName = "locale\\fr_FR\\LC_MESSAGES\\default.mo";

Bytes Catalog(std::size_t size) {
  Bytes catalog(size);
  for (std::size_t i = 0; i < size; ++i) catalog[i] = static_cast<std::uint8_t>(i % 251 + 1);
  return catalog;
}

TEST(AppendCatalog, WritesDataDirectoryEntryTerminatorAndTheRecordsOffset) {
  struct Case {
    std::size_t catalog_size;
    std::uint64_t directory_after;  // bytes from the data's start to the entry
  };
  const Case cases[] = {{1965, 2048}, {1948, 2048}, {1, 2048},
                        {0, 2048},    {2048, 2048}, {2049, 4096}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.catalog_size);
    Bytes file = testing::FakeExecutable();
    const Bytes before = file;
    const std::size_t record = testing::RecordAt(file);
    const Bytes catalog = Catalog(c.catalog_size);
    std::string error;
    ASSERT_TRUE(AppendCatalog(file, catalog, kName, CatalogRecordSignature(), error)) << error;

    const std::uint64_t data = before.size();
    const std::uint64_t entry = data + c.directory_after;
    ASSERT_EQ(file.size(), entry + kCatalogEntrySize + 8);
    // The program's own bytes are untouched but for the record's offset.
    Bytes unpatched(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(data));
    PutLe64At(unpatched, record + kCatalogSignatureSize, 0);
    EXPECT_EQ(unpatched, before);
    EXPECT_EQ(Le64At(file, record + kCatalogSignatureSize), entry);
    EXPECT_TRUE(std::equal(catalog.begin(), catalog.end(),
                           file.begin() + static_cast<std::ptrdiff_t>(data)));
    EXPECT_TRUE(std::all_of(file.begin() + static_cast<std::ptrdiff_t>(data + catalog.size()),
                            file.begin() + static_cast<std::ptrdiff_t>(entry),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(Le64At(file, entry), entry + kCatalogEntrySize);
    EXPECT_EQ(Le64At(file, entry + 8), data);
    EXPECT_EQ(Le64At(file, entry + 16), catalog.size());
    const std::string name_field(
        file.begin() + static_cast<std::ptrdiff_t>(entry + 24),
        file.begin() + static_cast<std::ptrdiff_t>(entry + kCatalogEntrySize));
    EXPECT_EQ(name_field, kName + std::string(kCatalogEntrySize - 24 - kName.size(), ' '));
    EXPECT_EQ(Le64At(file, file.size() - 8), 0u);

    const MemorySource source(file);
    const auto catalogs = ReadCatalogDirectory(source, entry);
    ASSERT_TRUE(catalogs);
    EXPECT_EQ(*catalogs, std::vector<AppendedCatalog>({{kName, data, catalog.size()}}));
  }
}

TEST(AppendCatalog, RefusesAndLeavesTheFileAsItWas) {
  const std::string signature = CatalogRecordSignature();
  Bytes twice = testing::FakeExecutable();
  Bytes second_record(signature.begin(), signature.end());
  second_record.resize(kCatalogRecordSize, 0);
  twice.insert(twice.begin() + 10, second_record.begin(), second_record.end());
  Bytes appended = testing::FakeExecutable();
  std::string ignored;
  ASSERT_TRUE(AppendCatalog(appended, Catalog(10), kName, signature, ignored));
  Bytes cut = testing::FakeExecutable(100, 0);
  cut.erase(cut.end() - 3, cut.end());  // the offset field runs past the end
  struct Case {
    const char* what;
    Bytes file;
    std::string name;
    const char* error;  // part of the reason given
  };
  const Case cases[] = {
      {"no signature", Bytes(5000, 0x41), kName, "not in the file"},
      {"the signature twice", twice, kName, "more than once"},
      {"already appended", appended, kName, "already appended"},
      {"record cut off at the end", cut, kName, "cut off"},
      {"a name longer than its field", testing::FakeExecutable(), std::string(233, 'n'),
       "does not fit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes file = c.file;
    std::string error;
    EXPECT_FALSE(AppendCatalog(file, Catalog(100), c.name, signature, error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(file, c.file);
  }
  Bytes longest_name = testing::FakeExecutable();
  std::string error;
  EXPECT_TRUE(AppendCatalog(longest_name, Catalog(100), std::string(232, 'n'), signature, error))
      << error;
}

// A directory of entries written by hand: (name, data offset, size, entry length).
Bytes WithDirectory(
    Bytes file, std::uint64_t& first,
    const std::vector<std::tuple<std::string, std::uint64_t, std::uint64_t, std::size_t>>&
        entries) {
  first = file.size();
  for (const auto& [name, offset, size, length] : entries) {
    const std::size_t at = file.size();
    file.resize(at + length, ' ');
    PutLe64At(file, at, at + length);
    PutLe64At(file, at + 8, offset);
    PutLe64At(file, at + 16, size);
    std::copy(name.begin(), name.end(), file.begin() + static_cast<std::ptrdiff_t>(at + 24));
  }
  file.resize(file.size() + 8, 0);
  return file;
}

TEST(ReadCatalogDirectory, FollowsTheChainAndTrimsNames) {
  std::uint64_t first = 0;
  const Bytes file = WithDirectory(Bytes(3000, 7), first,
                                   {{"\t locale\\fr_FR\\LC_MESSAGES\\default.mo\r\n", 0, 1000, 100},
                                    {"locale\\de\\LC_MESSAGES\\default.mo", 1000, 2000, 60},
                                    {"", 2999, 1, 24}});
  const auto catalogs = ReadCatalogDirectory(MemorySource(file), first);
  ASSERT_TRUE(catalogs);
  EXPECT_EQ(
      *catalogs,
      std::vector<AppendedCatalog>(
          {{kName, 0, 1000}, {"locale\\de\\LC_MESSAGES\\default.mo", 1000, 2000}, {"", 2999, 1}}));
  EXPECT_EQ(ReadCatalogDirectory(MemorySource(file), file.size() - 8),
            std::vector<AppendedCatalog>())
      << "a chain that is only its end";
}

TEST(ReadCatalogDirectory, DamagedDirectoriesAreRefusedWhole) {
  std::uint64_t first = 0;
  const Bytes good =
      WithDirectory(Bytes(3000, 7), first, {{kName, 0, 1000, 256}, {kName, 10, 10, 256}});
  ASSERT_TRUE(ReadCatalogDirectory(MemorySource(good), first));
  auto with = [&](std::size_t at, std::uint64_t value) {
    Bytes b = good;
    PutLe64At(b, at, value);
    return b;
  };
  const std::size_t second = first + 256;
  struct Case {
    const char* what;
    Bytes file;
    std::uint64_t start;
  };
  const Case cases[] = {
      {"first entry beyond the file", good, good.size()},
      {"first entry straddling the end", good, good.size() - 4},
      {"next entry beyond the file", with(second, good.size() + 100), first},
      {"next entry before the current one", with(second, first), first},
      {"next entry on itself", with(first, first), first},
      {"next entry inside the fixed fields", with(first, first + 20), first},
      {"data beyond the file", with(second + 8, good.size()), first},
      {"data size beyond the file", with(first + 16, good.size() + 1), first},
      {"data size that wraps around", with(first + 16, ~std::uint64_t{0}), first},
      {"no terminator", Bytes(good.begin(), good.end() - 8), first},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadCatalogDirectory(MemorySource(c.file), c.start), std::nullopt);
  }

  // A name field may be long, but not without end.
  const Bytes longest = WithDirectory(Bytes(100, 7), first, {{kName, 0, 10, 24 + 4096}});
  EXPECT_TRUE(ReadCatalogDirectory(MemorySource(longest), first));
  const Bytes too_long = WithDirectory(Bytes(100, 7), first, {{kName, 0, 10, 24 + 4097}});
  EXPECT_EQ(ReadCatalogDirectory(MemorySource(too_long), first), std::nullopt);
}

TEST(FileSource, ReadsInsideTheFileOnly) {
  testing::TempFolder folder;
  testing::WriteText(folder / "f", "0123456789");
  const FileSource file(folder / "f");
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), 10u);
  std::uint8_t buffer[4] = {};
  EXPECT_TRUE(file.Read(6, buffer));
  EXPECT_EQ(std::string(buffer, buffer + 4), "6789");
  EXPECT_FALSE(file.Read(7, buffer));
  EXPECT_FALSE(file.Read(~std::uint64_t{0} - 1, buffer));
  EXPECT_FALSE(FileSource(folder / "missing").IsOpen());
  EXPECT_FALSE(FileSource(folder.Path()).IsOpen()) << "a folder is not a file";
  EXPECT_FALSE(FileSource(folder / "missing").Read(0, std::span(buffer, 0)));
}

// The build tool on real files.
TEST(CatalogAppendTool, AppendsOnceKeepsTheModeAndRefusesWithoutTouchingTheFile) {
  testing::TempFolder folder;
  const std::string program = folder / "program", catalog = folder / "default.mo";
  const Bytes original = testing::FakeExecutable();
  testing::WriteBytes(program, original);
  ASSERT_EQ(chmod(program.c_str(), 0751), 0);
  testing::WriteBytes(catalog, Catalog(1965));

  const auto first = testing::RunProgram(SLP_CATALOG_APPEND, {program, catalog}, {});
  EXPECT_EQ(first.status, 0) << first.err;
  const Bytes appended = testing::ReadBytes(program);
  EXPECT_EQ(appended.size(), original.size() + 2048 + 256 + 8);
  const auto catalogs =
      ReadCatalogDirectory(MemorySource(appended),
                           Le64At(appended, testing::RecordAt(appended) + kCatalogSignatureSize));
  ASSERT_TRUE(catalogs);
  EXPECT_EQ(*catalogs, std::vector<AppendedCatalog>({{kName, original.size(), 1965}}));
  struct stat st {};
  ASSERT_EQ(stat(program.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);

  const auto again = testing::RunProgram(SLP_CATALOG_APPEND, {program, catalog}, {});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("already appended"), std::string::npos) << again.err;
  EXPECT_EQ(testing::ReadBytes(program), appended);

  testing::WriteBytes(program, Bytes(4000, 1));
  const auto unsigned_file = testing::RunProgram(SLP_CATALOG_APPEND, {program, catalog}, {});
  EXPECT_EQ(unsigned_file.status, 1);
  EXPECT_NE(unsigned_file.err.find("signature"), std::string::npos) << unsigned_file.err;
  EXPECT_EQ(testing::ReadBytes(program), Bytes(4000, 1));

  const auto other_language = testing::RunProgram(
      SLP_CATALOG_APPEND, {"--language", "de", folder / "missing", catalog}, {});
  EXPECT_EQ(other_language.status, 1);
  EXPECT_EQ(testing::RunProgram(SLP_CATALOG_APPEND, {program}, {}).status, 2) << "usage";
}

}  // namespace
}  // namespace slp
