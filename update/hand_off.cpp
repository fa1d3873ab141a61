#include "update/hand_off.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "platform/os/ini_file.h"

namespace slp {

std::vector<std::string> StartArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::string> arguments;
  std::size_t at = 0;
  while (at < all.size()) {
    const std::size_t end = all.find('\0', at);
    arguments.push_back(all.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  if (!arguments.empty()) arguments.erase(arguments.begin());  // the program itself
  return arguments;
}

std::string OwnArguments(const std::string& command_line, const std::string& executable) {
  std::string rest = command_line;
  if (const std::size_t at = executable.empty() ? std::string::npos : rest.find(executable);
      at != std::string::npos)
    rest.erase(at, executable.size());
  if (rest.starts_with("\"\"")) {
    std::size_t from = 2;
    while (from < rest.size() && rest[from] == ' ') ++from;
    rest.erase(0, from);
  }
  return rest.empty() ? "/updated" : rest;
}

std::string HandOffParameters(const std::string& url, const std::string& target,
                              const std::string& arguments) {
  std::string passed = arguments;
  for (char& c : passed)
    if (c == '"') c = '>';
  return "/url=\"" + url + "\" /target=\"" + target + "\" /restart /commandline=\"" + passed + "\"";
}

std::string UpdaterFolder(const std::string& temp_directory) { return temp_directory + "Renewer/"; }

std::string UpdaterFile(const std::string& temp_directory) {
  return UpdaterFolder(temp_directory) + "Renewer";
}

bool RemoveUpdater(const std::string& updater_file,
                   const std::function<bool(const std::string&)>& running) {
  struct stat st {};
  if (lstat(updater_file.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
  if ((running && running(updater_file)) || unlink(updater_file.c_str()) != 0) return false;
  const std::string folder = updater_file.substr(0, updater_file.rfind('/'));
  return rmdir(folder.c_str()) == 0;
}

bool WriteUpdater(const std::string& updater_file, const std::string& bytes) {
  // Whole or not at all, then a program of its owner's only.
  return WriteFileAtomically(updater_file, bytes) && chmod(updater_file.c_str(), 0700) == 0;
}

}  // namespace slp
