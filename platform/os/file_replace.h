#pragma once
// Writing a new file and putting a file in place of another so that a failure at any step
// leaves the old file whole.

#include <functional>
#include <string>
#include <string_view>

namespace slp {

// The steps below where a test can make the system refuse.
enum class FileStep {
  kWriteNew,    // creating and writing a new file
  kStage,       // copying the replacement beside the target
  kRenameOver,  // renaming the copy over the target
  kMoveAside,   // moving the target aside where it cannot be renamed over
  kMoveIn,      // renaming the copy to the target's name after that
  kPutBack,     // bringing the old target back after a failure
};
const char* FileStepName(FileStep step);

// Returns the error number a step fails with before it touches anything, 0 to let it run.
using FileFaults = std::function<int(FileStep)>;

// Creates `path` as a new file that only the user can read and write, holding `data`. It is
// never opened through an existing file or link: a name that is taken fails with EEXIST.
// Returns 0 or the error number; on failure the file is gone again.
int WriteNewFile(const std::string& path, std::string_view data, const FileFaults& faults = {});

struct ReplaceResult {
  int error = 0;                     // 0: the target is the new file
  FileStep step = FileStep::kStage;  // the step that failed
  std::string oldFileAt;             // where the old target stayed when it could not be put back
};

// Puts a copy of `source` at `target`. The copy is written beside the target under the name
// `stagingName`, flushed to disk and renamed over the target, so the target is at every moment
// either the complete old file or the complete new one; where the target cannot be renamed
// over (busy), it is moved aside first and put back on any failure. The copy takes the old
// target's permissions and, where the user may give them, its owner; a new target gets the
// user's default mode, with the execute bits when `source` is a program (an ELF image or a
// script). On failure no copy is left. `source` is left in place either way.
ReplaceResult ReplaceFileWith(const std::string& target, const std::string& source,
                              const std::string& stagingName, const FileFaults& faults = {});

// Mode of a new file for this user: 0666 without the umask's bits, plus the matching execute
// bits for a program.
unsigned NewFileMode(bool program);

}  // namespace slp
