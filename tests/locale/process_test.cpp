// The translation layer of a whole process: the language from the real environment, the
// catalog from the program's own locating record or beside its file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "locale/language.h"
#include "locale_test_support.h"

namespace slp {
namespace {

using testing::Bytes;
using testing::TempFolder;

using Environment = std::map<std::string, std::string>;

// What the probe printed for "&Exit" and its closing line.
struct Shown {
  std::string exit;
  std::string state;
  std::string err;
};

Shown Probe(const std::string& program, const Environment& env) {
  const testing::Run run = testing::RunProgram(program, {"&Exit"}, env);
  EXPECT_EQ(run.status, 0) << run.err;
  Shown shown;
  const std::size_t line = run.out.find('\n');
  shown.exit = run.out.substr(0, line);
  if (line != std::string::npos) shown.state = run.out.substr(line + 1);
  if (!shown.state.empty() && shown.state.back() == '\n') shown.state.pop_back();
  shown.err = run.err;
  return shown;
}

TEST(ProcessLanguage, FromLangOrTheUsersLocale) {
  struct Case {
    const char* what;
    Environment env;
    const char* exit;
    const char* state;
  };
  const Case cases[] = {
      {"LANG=fr_FR.UTF-8 on an English system",
       {{"LANG", "fr_FR.UTF-8"}, {"LC_ALL", "en_US.UTF-8"}},
       "&Quitter",
       "language=fr_FR catalog=appended enabled=1"},
      {"LANG=en_US on a French system",
       {{"LANG", "en_US"}, {"LC_ALL", "fr_FR.UTF-8"}},
       "&Exit",
       "language=en_US catalog=none enabled=0"},
      {"LANG=fr", {{"LANG", "fr"}}, "&Exit", "language=fr catalog=none enabled=0"},
      {"no LANG, French (France)",
       {{"LC_ALL", "fr_FR.UTF-8"}},
       "&Quitter",
       "language=fr_FR catalog=appended enabled=1"},
      {"no LANG, French (France) for messages",
       {{"LC_MESSAGES", "fr_FR.UTF-8"}},
       "&Quitter",
       "language=fr_FR catalog=appended enabled=1"},
      {"no LANG, French (Belgium)",
       {{"LC_ALL", "fr_BE.UTF-8"}},
       "&Exit",
       "language=fr_BE catalog=none enabled=0"},
      {"no LANG, French (Canada)",
       {{"LC_ALL", "fr_CA.UTF-8"}},
       "&Exit",
       "language=fr_CA catalog=none enabled=0"},
      {"no LANG, French (Switzerland)",
       {{"LC_MESSAGES", "fr_CH.UTF-8"}},
       "&Exit",
       "language=fr_CH catalog=none enabled=0"},
      {"nothing set", {}, "&Exit", "language=C catalog=none enabled=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Shown shown = Probe(SLP_LOCALE_PROBE, c.env);
    EXPECT_EQ(shown.exit, c.exit);
    EXPECT_EQ(shown.state, c.state);
    EXPECT_EQ(shown.err, "");
  }
}

// A copy of a probe in a folder of its own, with catalog files beside it if asked.
std::string CopyProbe(const TempFolder& folder, const char* probe) {
  const std::string copy = folder / "probe";
  std::filesystem::copy_file(probe, copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  return copy;
}

void PutCatalogFile(const TempFolder& folder, const Bytes& catalog) {
  const std::string path = CatalogFilePath(folder.Path() + "/", "fr_FR");
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  testing::WriteBytes(path, catalog);
}

TEST(ProcessCatalog, AppendedOrBesideTheProgram) {
  const Environment french = {{"LANG", "fr_FR.UTF-8"}};
  const Bytes marked = testing::BuildMo({{"&Exit", "&Quitter (fichier)"}});
  const Bytes latin1 =
      testing::BuildMo({{"&Exit", "&Quitter"}}, "Content-Type: text/plain; charset=ISO-8859-1\n");
  struct Case {
    const char* what;
    const char* probe;
    std::optional<Bytes> beside;
    bool damage_directory;
    const char* exit;
    const char* state;
    bool message;  // one line on standard error
  };
  const Case cases[] = {
      {"a catalog beside a program without one", SLP_LOCALE_PROBE_BARE,
       testing::ReadBytes(SLP_CATALOG_SLP), false, "&Quitter",
       "language=fr_FR catalog=file enabled=1", false},
      {"nothing anywhere", SLP_LOCALE_PROBE_BARE, std::nullopt, false, "&Exit",
       "language=fr_FR catalog=none enabled=0", false},
      {"the appended catalog wins over a file of the same name", SLP_LOCALE_PROBE, marked, false,
       "&Quitter", "language=fr_FR catalog=appended enabled=1", false},
      {"a catalog that is not UTF-8", SLP_LOCALE_PROBE_BARE, latin1, false, "&Exit",
       "language=fr_FR catalog=file enabled=0", true},
      {"a damaged directory and a file beside", SLP_LOCALE_PROBE, marked, true,
       "&Quitter (fichier)", "language=fr_FR catalog=file enabled=1", false},
      {"a damaged directory alone", SLP_LOCALE_PROBE, std::nullopt, true, "&Exit",
       "language=fr_FR catalog=none enabled=0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string probe = CopyProbe(folder, c.probe);
    if (c.beside) PutCatalogFile(folder, *c.beside);
    if (c.damage_directory) {
      // The entry's catalog size now runs past the end of the file.
      Bytes image = testing::ReadBytes(probe);
      const std::uint64_t entry =
          testing::Le64At(image, testing::RecordAt(image) + kCatalogSignatureSize);
      ASSERT_NE(entry, 0u);
      testing::PutLe64At(image, entry + 16, image.size());
      testing::WriteBytes(probe, image);
    }
    const Shown shown = Probe(probe, french);
    EXPECT_EQ(shown.exit, c.exit);
    EXPECT_EQ(shown.state, c.state);
    if (c.message) {
      EXPECT_EQ(std::count(shown.err.begin(), shown.err.end(), '\n'), 1) << shown.err;
      EXPECT_NE(shown.err.find("UTF-8"), std::string::npos) << shown.err;
    } else {
      EXPECT_EQ(shown.err, "");
    }
  }
}

}  // namespace
}  // namespace slp
