// Command lines from arbitrary text: the division into arguments gives arguments that are
// never empty and hold no double quote, written back the system's way they divide into the
// same list, and every switch value read from them comes from the argument that names it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/command_line.h"
#include "updater/core/switches.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool NamesSwitch(const std::string& argument, const std::string& name) {
  if (argument.size() < name.size() + 1 || (argument[0] != '/' && argument[0] != '-')) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (Fold(argument[i + 1]) != name[i]) return false;
  }
  return true;
}

// `value` is what the first argument naming `name` gives, by one of the three ways.
void CheckValue(const std::vector<std::string>& args, const std::string& name,
                const std::string& value) {
  const auto it = std::find_if(args.begin(), args.end(),
                               [&](const std::string& a) { return NamesSwitch(a, name); });
  if (it == args.end()) {
    Check(value.empty());
    return;
  }
  const std::string rest = it->substr(name.size() + 1);
  const bool next =
      rest.empty() && it + 1 != args.end() && (*(it + 1))[0] != '/' && (*(it + 1))[0] != '-';
  Check(value == (rest.empty() ? (next ? *(it + 1) : "") : rest[0] == ':' ? rest.substr(1) : rest));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = slp::SplitArguments(text);
  for (const std::string& a : args) {
    Check(!a.empty());
    Check(a.find('"') == std::string::npos);
    Check(a.find('\0') == std::string::npos);
  }
  Check(slp::SplitArguments(slp::JoinCommandLine(args)) == args);

  const std::vector<std::string> counted = slp::renewer::CountedArguments(text);
  Check(counted.size() == (args.empty() ? 0 : args.size() - 1));
  const slp::renewer::Switches s = slp::renewer::ReadSwitches(counted);
  CheckValue(counted, "url=", s.sUrl);
  CheckValue(counted, "target=", s.sTarget);
  std::string raw;
  slp::renewer::FindSwitchValue(counted, "commandline=", raw);
  CheckValue(counted, "commandline=", raw);
  Check(s.sCommandLine.find('>') == std::string::npos && s.sCommandLine.size() == raw.size());
  Check(s.bRestart == std::any_of(counted.begin(), counted.end(), [](const std::string& a) {
          return a.size() == 8 && NamesSwitch(a, "restart");
        }));
  return 0;
}
