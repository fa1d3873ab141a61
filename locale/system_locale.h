#pragma once
// What the translation layer asks the system.

#include <optional>
#include <string>

namespace slp {

// The LANG variable; nullopt when it is not set.
std::optional<std::string> LangVariable();

// The user's locale without LANG ("fr_BE.UTF-8"): the standard locale environment (LC_ALL,
// then LC_MESSAGES), else the locale the program runs in; may be "C".
std::string UserLocaleName();

// The running program's file path; empty when the system does not say.
std::string ThisExecutablePath();

// A path that opens the running program's image, even after its file was replaced.
std::string ThisExecutableImage();

}  // namespace slp
