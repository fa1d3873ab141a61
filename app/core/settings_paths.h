#pragma once
// Where the notifier keeps its files: the settings folder named after the maker and the
// product, the settings file named after the executable, the browser cache beside it; and
// the one setting it saves.

#include <string>

#include "platform/os/environment.h"
#include "platform/os/processes.h"

namespace slp {

inline constexpr char kMakerName[] = "Tarnel";
inline constexpr char kSettingsSection[] = "Sylp";
inline constexpr char kIntervalKey[] = "Interval";

// The expansion of "%appdata%" + "/" + "Tarnel/" + `product_name` + "/", a separator added
// only where one is missing.
std::string SettingsFolder(const std::string& product_name,
                           const EnvironmentLookup& lookup = SystemEnvironment());

// The executable's file name with its extension replaced by ".ini" ("slp" -> "slp.ini",
// "other.exe" -> "other.ini").
std::string SettingsFileName(const std::string& executable_path);

// The folder "cache" beside the settings file.
std::string BrowserCacheFolder(const std::string& ini_file);

// Builds the settings file's path once and remembers it.
class SettingsPaths {
 public:
  SettingsPaths(std::string product_name, std::string executable_path,
                EnvironmentLookup lookup = SystemEnvironment());

  // The settings file. The first call builds it and tries once to create the folder with
  // its parents; a failure is not reported (reads then give defaults, writes fail). Later
  // calls return the stored value without touching the disk.
  const std::string& GetIniFileName();

  std::string GetCacheFolder() { return BrowserCacheFolder(GetIniFileName()); }

 private:
  std::string product_name_;
  std::string executable_path_;
  EnvironmentLookup lookup_;
  std::string ini_file_;
};

// The refresh interval from section "Sylp", key "Interval"; `current` when the file, the key
// or a number is missing. Not limited here: the interval field limits what it shows.
int ReadIntervalSetting(const std::string& ini_file, int current);

// Writes the interval; false when the file could not be written.
bool WriteIntervalSetting(const std::string& ini_file, int interval);

}  // namespace slp
