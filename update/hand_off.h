#pragma once
// The notifier's side of an update: what it hands to the updater and how it cleans up after
// it. Plain rules; TfrmMain wires them to its timer and the updater's process.

#include <functional>
#include <string>
#include <vector>

namespace slp {

// This process's arguments as it was started (before any library took its own options out),
// read from /proc/self/cmdline; empty when it cannot be read.
std::vector<std::string> StartArguments();

// The arguments to pass on through an update: `command_line` less the first occurrence of
// `executable`; when the rest begins with the two quotes that surrounded the path, those and
// the blanks after them go too. "/updated" when nothing is left.
std::string OwnArguments(const std::string& command_line, const std::string& executable);

// The updater's parameters: the download address, the file to replace, the restart switch
// and the arguments to restart with, each double quote written as ">".
std::string HandOffParameters(const std::string& url, const std::string& target,
                              const std::string& arguments);

// Where the updater is written: `temp_directory` + "Renewer/Renewer".
std::string UpdaterFolder(const std::string& temp_directory);
std::string UpdaterFile(const std::string& temp_directory);

// True when no updater file is left: none was there, or the file and then its folder were
// removed. False when the file or its folder is still in place. A file that a process still
// runs counts as not removable (`running` tells), as it is where programs are locked while
// they run: a second updater must not start beside a running one.
bool RemoveUpdater(const std::string& updater_file,
                   const std::function<bool(const std::string&)>& running);

// Writes `bytes` as the updater file, replacing any file of that name, executable by its
// owner only. False on any failure, leaving no partial file under that name.
bool WriteUpdater(const std::string& updater_file, const std::string& bytes);

}  // namespace slp
