#pragma once
// Every text the updater shows, in English. The window passes each through its translation
// function when it shows it; nothing else builds user-visible words.

namespace slp::renewer::texts {

// Window texts.
inline constexpr char kCaption[] = "Update";
inline constexpr char kRestartButton[] = "&Restart the application";
inline constexpr char kBytes[] = "bytes";  // the HTTP client's range unit; not shown

// Status line.
inline constexpr char kStarting[] = "The update is starting...";
inline constexpr char kDownloadSuccessful[] = "Download successful...";
inline constexpr char kDownloadFinished[] = "Download finished...";
inline constexpr char kRelaunched[] = "Application has been relaunched...";
inline constexpr char kSuccessful[] = "Successful update";
inline constexpr char kFailed[] = "The update has failed";
inline constexpr char kFailedInUse[] = "The update has failed!";
inline constexpr char kFailedNotReplaced[] =
    "The update has failed because the file could not be replaced!";

// Message boxes.
inline constexpr char kNoUrlNoPath[] = "An URL and a path for the file has to be defined!";
inline constexpr char kNoUrl[] = "A URL has to be defined!";
inline constexpr char kNoPath[] = "A path for the file has to be defined!";
inline constexpr char kNoFolder[] = "The folder to store the file cannot be created!";
inline constexpr char kCannotDownload[] = "Cannot download the file!";
inline constexpr char kTargetUsed[] = "The target file is currently used...";
inline constexpr char kRetryQuestion[] = "Would you retry?";

}  // namespace slp::renewer::texts
