#pragma once
// Small helpers for tests: a temporary folder, file contents, and an environment given as
// a table.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/os/environment.h"
#include "platform/os/text.h"

namespace slp::testing {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "slp-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  ASSERT_TRUE(out.good()) << path;
}

// An environment of exactly these variables; names match without regard to ASCII case, as
// the system's lookup does.
inline EnvironmentLookup TableEnvironment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
    for (const auto& [key, value] : variables) {
      if (text::EqualsIgnoreAsciiCase(key, name)) return value;
    }
    return std::nullopt;
  };
}

// An environment with nothing but a configuration folder: "%appdata%" resolves there, so a
// test's settings never land in the user's folders.
inline EnvironmentLookup ConfigOnly(const std::string& folder) {
  return TableEnvironment({{"XDG_CONFIG_HOME", folder}});
}

}  // namespace slp::testing
