#include "updater/core/switches.h"

#include <algorithm>

#include "platform/os/command_line.h"
#include "platform/os/text.h"

namespace slp::renewer {
namespace {

bool IsSwitchChar(char c) { return c == '/' || c == '-'; }

// Whether `argument` starts with a switch character followed by `name`.
bool StartsWithSwitch(std::string_view argument, std::string_view name) {
  return argument.size() >= name.size() + 1 && IsSwitchChar(argument.front()) &&
         text::EqualsIgnoreAsciiCase(argument.substr(1, name.size()), name);
}

}  // namespace

std::vector<std::string> CountedArguments(std::string_view commandLine) {
  std::vector<std::string> arguments = SplitArguments(commandLine);
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

bool FindSwitchValue(const std::vector<std::string>& arguments, std::string_view name,
                     std::string& value) {
  value.clear();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!StartsWithSwitch(argument, name)) continue;
    std::string_view rest = std::string_view(argument).substr(name.size() + 1);
    if (!rest.empty()) {
      if (rest.front() == ':') rest.remove_prefix(1);
      value = rest;
    } else if (i + 1 < arguments.size() && !arguments[i + 1].empty() &&
               !IsSwitchChar(arguments[i + 1].front())) {
      value = arguments[i + 1];
    }
    return true;
  }
  return false;
}

bool HasFlagSwitch(const std::vector<std::string>& arguments, std::string_view name) {
  return std::any_of(arguments.begin(), arguments.end(), [name](const std::string& argument) {
    return argument.size() == name.size() + 1 && StartsWithSwitch(argument, name);
  });
}

std::string RestoreQuotes(std::string text) {
  std::replace(text.begin(), text.end(), '>', '"');
  return text;
}

Switches ReadSwitches(const std::vector<std::string>& arguments) {
  Switches s;
  FindSwitchValue(arguments, "url=", s.sUrl);
  FindSwitchValue(arguments, "target=", s.sTarget);
  FindSwitchValue(arguments, "commandline=", s.sCommandLine);
  s.sCommandLine = RestoreQuotes(std::move(s.sCommandLine));
  s.bRestart = HasFlagSwitch(arguments, "restart");
  return s;
}

}  // namespace slp::renewer
