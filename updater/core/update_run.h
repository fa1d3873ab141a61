#pragma once
// One run of the updater, from the check of the switches to the end state, independent of
// how the window shows it: the window supplies the download, the questions and the status
// line through UpdateHost.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/os/file_replace.h"
#include "updater/core/switches.h"

namespace slp::renewer {

// Two characters in front of the GUID in the temporary file's name.
inline constexpr char TempFilePrefix[] = "r-";

// `target` up to and including its last "/"; "" when it has none.
std::string TargetFolder(const std::string& target);

// Creates `folder` with every missing parent. "" fails.
bool ForceDirectories(const std::string& folder);

// The first problem with the switches, checked in order, or nullptr. Creates the target's
// folder when it is missing; `folder` is then the folder's text as taken from the target.
const char* Validate(const Switches& switches, std::string& folder);

// A download's outcome as the HTTP client reports it.
struct Download {
  bool ok = false;  // the client reports a complete 2xx reply
  std::string body;
  std::int64_t announced = -1;  // the size the server announced; -1: none
  std::string error;            // the client's reason when not ok
};

class UpdateHost {
 public:
  virtual ~UpdateHost() = default;
  // An error box with a single Cancel button: `message`, and with a `detail` (which may be
  // empty), an empty line and the detail.
  virtual void ShowError(const char* message, const std::optional<std::string>& detail) = 0;
  // Fetches `url` into memory.
  virtual Download DownloadFile(const std::string& url) = 0;
  // "Cannot download the file!" with Abort and Retry; true for Retry.
  virtual bool AskRetryDownload() = 0;
  // The question naming `target` while it is in use; true for Retry.
  virtual bool AskRetryInUse(const std::string& target) = 0;
  virtual void SetStatus(const char* status) = 0;
  // Starts the target program again.
  virtual void Relaunch() = 0;
  // True once the user closed the window: the run stops at its next step and leaves the
  // target as it is.
  virtual bool Abandoned() = 0;
};

// Where a run's files go and how they are made; the defaults are the system's.
// Asked only once the switches have passed.
struct RunSettings {
  std::function<std::string()> tempDirectory;  // ends in "/"; "" makes every write fail
  std::function<std::string()> newGuid;        // a new GUID in registry form
  FileFaults faults;                           // tests only
};

struct RunResult {
  bool succeeded = false;
  bool offerRestart = false;  // failed while a file stands at the target path
  bool abandoned = false;     // the user closed the window during the run
  std::string tempFile;       // the temporary file's name, made once for the run
  bool tempFileLeft = false;  // it still exists after the run
  std::string failure;        // why the last download or the replacement failed (for logs)
};

// The whole run: validation, download (repeated while the user asks), the temporary file,
// the in-use check (repeated while the user asks), replacement and restart. Every step is
// reported through `host`; the end state is the caller's to show.
RunResult RunUpdate(const Switches& switches, UpdateHost& host, const RunSettings& settings);

// Why the download in `d` may not replace a file; "" when it may: complete, not empty, and
// as long as announced.
std::string DownloadProblem(const Download& d);
inline bool IsCompleteDownload(const Download& d) { return DownloadProblem(d).empty(); }

// Whether `target` is in use: a program while a process runs it, any other file while it
// cannot be opened for writing or is locked.
bool IsTargetInUse(const std::string& target);

}  // namespace slp::renewer
