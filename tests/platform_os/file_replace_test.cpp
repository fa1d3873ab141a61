#include "platform/os/file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "support/os_test_support.h"

namespace slp {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

constexpr char kStaging[] = "r-{STAGING}";

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// Sets the umask for one test.
class Umask {
 public:
  explicit Umask(mode_t mask) : old_(umask(mask)) {}
  ~Umask() { umask(old_); }

 private:
  mode_t old_;
};

// Names of everything in `folder`.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST(WriteNewFile, CreatesAPrivateFileWithTheData) {
  TempFolder folder;
  Umask open_mask(0);
  const std::string data("bytes\0with zero", 15);
  EXPECT_EQ(WriteNewFile(folder / "new", data), 0);
  EXPECT_EQ(ReadText(folder / "new"), data);
  EXPECT_EQ(ModeOf(folder / "new"), 0600u);
}

TEST(WriteNewFile, NeverWritesThroughWhatIsThere) {
  TempFolder folder;
  WriteText(folder / "victim", "victim");
  WriteText(folder / "taken", "taken");
  ASSERT_EQ(symlink((folder / "victim").c_str(), (folder / "link").c_str()), 0);
  ASSERT_EQ(symlink((folder / "nowhere").c_str(), (folder / "dangling").c_str()), 0);
  EXPECT_EQ(WriteNewFile(folder / "taken", "new"), EEXIST);
  EXPECT_EQ(WriteNewFile(folder / "link", "new"), EEXIST);
  EXPECT_EQ(WriteNewFile(folder / "dangling", "new"), EEXIST);
  EXPECT_EQ(ReadText(folder / "victim"), "victim");
  EXPECT_EQ(ReadText(folder / "taken"), "taken");
  EXPECT_FALSE(fs::exists(folder / "nowhere"));
}

TEST(WriteNewFile, AFailureLeavesNoFile) {
  TempFolder folder;
  const FileFaults full = [](FileStep s) { return s == FileStep::kWriteNew ? ENOSPC : 0; };
  EXPECT_EQ(WriteNewFile(folder / "new", "data", full), ENOSPC);
  EXPECT_EQ(WriteNewFile(folder / "missing/new", "data"), ENOENT);
  EXPECT_TRUE(Entries(folder.Path()).empty());
}

TEST(ReplaceFileWith, TheOldTargetsModeCarriesOver) {
  TempFolder folder;
  WriteText(folder / "target", "old");
  ASSERT_EQ(chmod((folder / "target").c_str(), 0751), 0);
  WriteText(folder / "source", "new");
  const ReplaceResult r = ReplaceFileWith(folder / "target", folder / "source", kStaging);
  EXPECT_EQ(r.error, 0);
  EXPECT_EQ(ReadText(folder / "target"), "new");
  EXPECT_EQ(ModeOf(folder / "target"), 0751u);
  EXPECT_EQ(ReadText(folder / "source"), "new");  // left for the caller
  EXPECT_EQ(Entries(folder.Path()), (std::set<std::string>{"source", "target"}));
}

TEST(ReplaceFileWith, ANewTargetGetsTheDefaultModeAndExecuteBitsWhenAProgram) {
  struct Case {
    const char* name;
    std::string content;
    mode_t umask;
    mode_t expected;
  } const cases[] = {
      {"elf",
       std::string("\x7f"
                   "ELF\x02\x01\x01",
                   7),
       022, 0755},
      {"script", "#!/bin/sh\necho\n", 022, 0755},
      {"text", "plain text", 022, 0644},
      {"elf-private",
       "\x7f"
       "ELF",
       077, 0700},
      {"text-group", "plain", 002, 0664},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    Umask mask(c.umask);
    WriteText(folder / "source", c.content);
    EXPECT_EQ(ReplaceFileWith(folder / "sub/target", folder / "source", kStaging).error, ENOENT);
    EXPECT_EQ(ReplaceFileWith(folder / "target", folder / "source", kStaging).error, 0);
    EXPECT_EQ(ReadText(folder / "target"), c.content);
    EXPECT_EQ(ModeOf(folder / "target"), c.expected);
  }
}

TEST(ReplaceFileWith, TheOldTargetsOwnerCarriesOver) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
  TempFolder folder;
  WriteText(folder / "target", "old");
  ASSERT_EQ(chown((folder / "target").c_str(), 4242, 4343), 0);
  ASSERT_EQ(chmod((folder / "target").c_str(), 04755), 0);
  WriteText(folder / "source", "new");
  ASSERT_EQ(ReplaceFileWith(folder / "target", folder / "source", kStaging).error, 0);
  struct stat st {};
  ASSERT_EQ(stat((folder / "target").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_gid, 4343u);
  EXPECT_EQ(st.st_mode & 07777, 04755u);  // set after the owner, which clears it
}

TEST(ReplaceFileWith, ALinkAtTheStagingNameIsNeverFollowed) {
  TempFolder folder;
  WriteText(folder / "target", "old");
  WriteText(folder / "victim", "victim");
  WriteText(folder / "source", "new");
  ASSERT_EQ(symlink((folder / "victim").c_str(), (folder / kStaging).c_str()), 0);
  const ReplaceResult r = ReplaceFileWith(folder / "target", folder / "source", kStaging);
  EXPECT_EQ(r.error, EEXIST);
  EXPECT_EQ(r.step, FileStep::kStage);
  EXPECT_EQ(ReadText(folder / "victim"), "victim");
  EXPECT_EQ(ReadText(folder / "target"), "old");
}

// Each step refused in turn: the target is the old file or the new one, never anything
// else, and no copy is left behind; where the target cannot be renamed over, the way round
// it succeeds or puts the old file back.
TEST(ReplaceFileWith, FaultAtEachStep) {
  struct Case {
    const char* name;
    std::map<FileStep, int> faults;
    int error;
    FileStep step;
    const char* target;  // content afterwards; "" for none
  } const cases[] = {
      {"staging", {{FileStep::kStage, ENOSPC}}, ENOSPC, FileStep::kStage, "old"},
      {"rename refused", {{FileStep::kRenameOver, EACCES}}, EACCES, FileStep::kRenameOver, "old"},
      {"busy target moved aside", {{FileStep::kRenameOver, EBUSY}}, 0, FileStep::kStage, "new"},
      {"busy and not movable",
       {{FileStep::kRenameOver, ETXTBSY}, {FileStep::kMoveAside, EPERM}},
       EPERM,
       FileStep::kMoveAside,
       "old"},
      {"busy and the move in fails",
       {{FileStep::kRenameOver, EBUSY}, {FileStep::kMoveIn, EIO}},
       EIO,
       FileStep::kMoveIn,
       "old"},
      {"nothing works",
       {{FileStep::kRenameOver, EBUSY}, {FileStep::kMoveIn, EIO}, {FileStep::kPutBack, EIO}},
       EIO,
       FileStep::kPutBack,
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WriteText(folder / "target", "old");
    WriteText(folder / "source", "new");
    const FileFaults faults = [&c](FileStep s) {
      const auto it = c.faults.find(s);
      return it == c.faults.end() ? 0 : it->second;
    };
    const ReplaceResult r = ReplaceFileWith(folder / "target", folder / "source", kStaging, faults);
    EXPECT_EQ(r.error, c.error);
    if (c.error != 0) {
      EXPECT_EQ(r.step, c.step) << FileStepName(r.step);
    }
    EXPECT_EQ(ReadText(folder / "source"), "new");
    if (*c.target != '\0') {
      EXPECT_EQ(ReadText(folder / "target"), c.target);
      EXPECT_EQ(Entries(folder.Path()), (std::set<std::string>{"source", "target"}));
      EXPECT_TRUE(r.oldFileAt.empty());
    } else {
      // The old file is whole, under the name the result gives.
      EXPECT_FALSE(fs::exists(folder / "target"));
      EXPECT_EQ(ReadText(r.oldFileAt), "old");
      EXPECT_EQ(Entries(folder.Path()),
                (std::set<std::string>{"source", fs::path(r.oldFileAt).filename().string()}));
    }
  }
}

// A reader that opens the target again and again while it is replaced over and over finds
// the old or the new content every time, whole.
TEST(ReplaceFileWith, ReadersNeverSeeAMissingOrPartFile) {
  TempFolder folder;
  const std::string a(200000, 'a'), b(300000, 'b');
  WriteText(folder / "a", a);
  WriteText(folder / "b", b);
  WriteText(folder / "target", a);
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, bad{0};
  std::thread reader([&] {
    while (!done) {
      const std::string seen = ReadText(folder / "target");
      if (seen != a && seen != b) ++bad;
      ++reads;
    }
  });
  for (int i = 0; i < 200; ++i) {
    const std::string staging = "r-" + std::to_string(i);
    ASSERT_EQ(ReplaceFileWith(folder / "target", folder / (i % 2 ? "a" : "b"), staging).error, 0);
  }
  done = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0) << "of " << reads.load() << " reads";
  EXPECT_GT(reads.load(), 0);
}

}  // namespace
}  // namespace slp
