#pragma once
// Environment variables with the system's expansion rules for "%NAME%" references.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace slp {

// Returns the value of a variable, nullopt when it does not exist. Names match without regard
// to ASCII case, as on the system the rules come from.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The process environment. Names match without regard to ASCII case; an exact match wins.
EnvironmentLookup SystemEnvironment();

// Expands every %NAME% of `text` (names without regard to case; an unknown name stays as
// written, "%" included) into a buffer of 1024 UTF-16 characters, terminator included. On
// success `result` is the expansion with leading and trailing blanks and control characters
// removed, and the return is true; when the expansion does not fit, `result` is `text`
// unchanged and the return is false.
// Where no (or an empty) APPDATA variable exists, %APPDATA% stands for $XDG_CONFIG_HOME when that
// is an absolute path, else $HOME/.config.
bool ExpandEnvironment(const std::string& text, std::string& result,
                       const EnvironmentLookup& lookup = SystemEnvironment());

}  // namespace slp
