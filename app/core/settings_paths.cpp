#include "app/core/settings_paths.h"

#include <unistd.h>

#include <utility>

#include "platform/os/folders.h"
#include "platform/os/ini_file.h"

namespace slp {
namespace {

std::string WithTrailingSeparator(std::string path) {
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path;
}

}  // namespace

std::string SettingsFolder(const std::string& product_name, const EnvironmentLookup& lookup) {
  std::string appdata;
  ExpandEnvironment("%appdata%", appdata, lookup);
  // The system's separator is "/" already: nothing to replace.
  return WithTrailingSeparator(WithTrailingSeparator(appdata) + kMakerName + "/" + product_name);
}

std::string SettingsFileName(const std::string& executable_path) {
  const std::string name = executable_path.substr(executable_path.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  // A leading dot marks a hidden file, not an extension.
  return (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + ".ini";
}

std::string BrowserCacheFolder(const std::string& ini_file) {
  // The file name itself, not its first occurrence anywhere in the path: a folder above
  // may contain the same text.
  return ini_file.substr(0, ini_file.rfind('/') + 1) + "cache";
}

SettingsPaths::SettingsPaths(std::string product_name, std::string executable_path,
                             EnvironmentLookup lookup)
    : product_name_(std::move(product_name)),
      executable_path_(std::move(executable_path)),
      lookup_(std::move(lookup)) {}

const std::string& SettingsPaths::GetIniFileName() {
  if (ini_file_.empty()) {
    const std::string folder = SettingsFolder(product_name_, lookup_);
    // The folder also holds the engine's cookie store: private to the user.
    CreateFolders(folder, 0700);
    ini_file_ = folder + SettingsFileName(executable_path_);
  }
  return ini_file_;
}

int ReadIntervalSetting(const std::string& ini_file, int current) {
  return IniFile(ini_file).ReadInteger(kSettingsSection, kIntervalKey, current);
}

bool WriteIntervalSetting(const std::string& ini_file, int interval) {
  return IniFile(ini_file).WriteInteger(kSettingsSection, kIntervalKey, interval);
}

}  // namespace slp
