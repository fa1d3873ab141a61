#include "platform/os/command_line.h"

namespace slp {
namespace {

// Characters compare as unsigned: bytes of UTF-8 sequences are never separators.
unsigned char At(std::string_view text, std::size_t i) {
  return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
}

bool IsSeparator(unsigned char c) { return c >= 1 && c <= ' '; }

// Reads one argument from `pos` on and leaves `pos` behind it.
std::string NextArgument(std::string_view text, std::size_t& pos) {
  for (;;) {
    while (IsSeparator(At(text, pos))) ++pos;
    if (At(text, pos) == '"' && At(text, pos + 1) == '"')
      pos += 2;
    else
      break;
  }
  std::string argument;
  while (At(text, pos) > ' ') {
    if (At(text, pos) == '"') {
      ++pos;
      while (At(text, pos) != 0 && At(text, pos) != '"') argument.push_back(text[pos++]);
      if (At(text, pos) == '"') ++pos;
    } else {
      argument.push_back(text[pos++]);
    }
  }
  return argument;
}

bool NeedsQuotes(std::string_view argument) {
  if (argument.empty()) return true;
  for (char c : argument) {
    if (IsSeparator(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view text) {
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos)
    text = text.substr(0, nul);
  std::vector<std::string> arguments;
  std::size_t pos = 0;
  for (;;) {
    std::string argument = NextArgument(text, pos);
    if (argument.empty()) break;
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string JoinCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    if (i > 0) line.push_back(' ');
    if (i == 0 || NeedsQuotes(argv[i]))
      line += '"' + argv[i] + '"';
    else
      line += argv[i];
  }
  return line;
}

}  // namespace slp
