#include "updater/core/update_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/os/file_use.h"
#include "platform/os/folders.h"
#include "platform/os/processes.h"
#include "updater/core/texts.h"

namespace slp::renewer {
namespace {

// A file, not a folder, stands at `path`.
bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

RunResult& End(RunResult& r, const Switches& s) {
  r.offerRestart = !r.succeeded && FileExists(s.sTarget);
  r.tempFileLeft = FileExists(r.tempFile);
  return r;
}

RunResult& Abandon(RunResult& r, const Switches& s) {
  if (!r.tempFile.empty()) unlink(r.tempFile.c_str());
  r.abandoned = true;
  return End(r, s);
}

}  // namespace

std::string TargetFolder(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  return slash == std::string::npos ? "" : target.substr(0, slash + 1);
}

bool ForceDirectories(const std::string& folder) { return CreateFolders(folder, 0777); }

const char* Validate(const Switches& s, std::string& folder) {
  folder.clear();
  if (s.sUrl.empty() && s.sTarget.empty()) return texts::kNoUrlNoPath;
  if (s.sUrl.empty()) return texts::kNoUrl;
  if (s.sTarget.empty()) return texts::kNoPath;
  folder = TargetFolder(s.sTarget);
  return ForceDirectories(folder) ? nullptr : texts::kNoFolder;
}

std::string DownloadProblem(const Download& d) {
  if (!d.ok) return d.error.empty() ? "failed" : d.error;
  if (d.body.empty()) return "empty body";
  if (d.announced >= 0 && static_cast<std::uint64_t>(d.announced) != d.body.size())
    return std::to_string(d.body.size()) + " bytes of " + std::to_string(d.announced) +
           " announced";
  return "";
}

bool IsTargetInUse(const std::string& target) {
  if (!IsProgramFile(target)) return IsFileInUse(target);
  if (IsProcessRunning(target)) return true;
  // Processes list their executables by the resolved path.
  std::error_code error;
  const std::string resolved = std::filesystem::canonical(target, error).string();
  return !error && resolved != target && IsProcessRunning(resolved);
}

RunResult RunUpdate(const Switches& s, UpdateHost& host, const RunSettings& settings) {
  RunResult r;
  std::string folder;
  if (const char* problem = Validate(s, folder)) {
    host.ShowError(problem, problem == texts::kNoFolder ? std::optional(folder) : std::nullopt);
    return End(r, s);
  }

  // One name for the whole run: a retried download writes to the same file.
  const std::string tempDirectory = settings.tempDirectory ? settings.tempDirectory() : "";
  const std::string guid = settings.newGuid ? settings.newGuid() : "";
  r.tempFile = tempDirectory + TempFilePrefix + guid;
  for (;;) {
    bool written = false;
    {
      Download download = host.DownloadFile(s.sUrl);
      if (host.Abandoned()) return Abandon(r, s);
      r.failure = DownloadProblem(download);
      // Without a temporary directory the name would land wherever we happen to be.
      if (r.failure.empty() && tempDirectory.empty()) r.failure = "no temporary directory";
      if (r.failure.empty()) {
        if (const int e = WriteNewFile(r.tempFile, download.body, settings.faults))
          r.failure = std::string("cannot write the temporary file: ") + std::strerror(e);
      }
      written = r.failure.empty();
    }  // the body is freed before anything waits for the user
    if (written) {
      host.SetStatus(texts::kDownloadFinished);
      break;
    }
    const bool retry = host.AskRetryDownload();
    if (host.Abandoned()) return Abandon(r, s);
    if (!retry) return End(r, s);
  }

  if (FileExists(s.sTarget)) {
    while (IsTargetInUse(s.sTarget)) {
      const bool retry = host.AskRetryInUse(s.sTarget);
      if (host.Abandoned()) return Abandon(r, s);
      if (!retry) {
        r.failure = "target in use";
        unlink(r.tempFile.c_str());
        host.SetStatus(texts::kFailedInUse);
        return End(r, s);
      }
    }
  }
  if (host.Abandoned()) return Abandon(r, s);

  const ReplaceResult replaced =
      ReplaceFileWith(s.sTarget, r.tempFile, std::string(TempFilePrefix) + guid, settings.faults);
  if (replaced.error != 0) {
    r.failure = std::string(FileStepName(replaced.step)) + ": " + std::strerror(replaced.error);
    host.SetStatus(texts::kFailedNotReplaced);
    return End(r, s);
  }
  unlink(r.tempFile.c_str());
  if (s.bRestart) host.Relaunch();
  r.succeeded = true;
  return End(r, s);
}

}  // namespace slp::renewer
