#pragma once
// An environment with nothing but a configuration folder: "%appdata%" resolves there, so a
// test's settings never land in the user's folders.

#include <optional>
#include <string>
#include <string_view>

#include "platform/os/environment.h"

namespace slp::testing {

inline EnvironmentLookup ConfigOnly(const std::string& folder) {
  return [folder](std::string_view name) -> std::optional<std::string> {
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (upper == "XDG_CONFIG_HOME") return folder;
    return std::nullopt;
  };
}

}  // namespace slp::testing
