#pragma once
// The updater's switches: "/" or "-", a name matched without regard to letter case, and for
// the switches that take one, a value.

#include <string>
#include <string_view>
#include <vector>

namespace slp::renewer {

// What the command line asks for, read once at start.
struct Switches {
  std::string sUrl;          // "url=": the download address
  std::string sTarget;       // "target=": the file to replace
  std::string sCommandLine;  // "commandline=" with every ">" back as a double quote
  bool bRestart = false;     // "restart": start the target after a successful update
};

// The arguments that are searched for switches: the command line's arguments after the
// program's own path.
std::vector<std::string> CountedArguments(std::string_view commandLine);

// Looks for the switch `name` ("url=", ...) among `arguments`; the first match counts. Its
// value is the rest of that argument without one ":" directly after the name, or, when
// nothing follows the name, the next argument unless that is a switch itself. Returns
// whether the switch is present; `value` is "" when it is absent or has no value.
bool FindSwitchValue(const std::vector<std::string>& arguments, std::string_view name,
                     std::string& value);

// Whether an argument is exactly "/" or "-" followed by `name`, letter case aside.
bool HasFlagSwitch(const std::vector<std::string>& arguments, std::string_view name);

// Every ">" turned into a double quote: the notifier writes its own arguments' quotes as ">"
// so that they pass through the division into arguments.
std::string RestoreQuotes(std::string text);

Switches ReadSwitches(const std::vector<std::string>& arguments);

}  // namespace slp::renewer
