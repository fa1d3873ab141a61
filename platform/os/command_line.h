#pragma once
// Command lines as one text, divided into arguments by the rules both programs share: the
// notifier builds the updater's parameter text with them in mind, the updater reads its
// switches from the result, and on POSIX every program started from a parameter text gets
// its argument vector from the same division.

#include <string>
#include <string_view>
#include <vector>

namespace slp {

// Divides `text` into arguments. Blanks and control characters (codes 1 to 32) separate
// arguments, and pairs of double quotes in front of an argument are skipped with them. A
// double quote opens a stretch, ended by the next double quote or the end of the text, in
// which blanks belong to the argument; the quotes themselves are dropped. The list ends
// before the first empty argument (in practice, at the end of the text). A zero byte ends
// the text.
std::vector<std::string> SplitArguments(std::string_view text);

// The command line of a process started with `argv`, written the way the system that the
// switches come from writes it: every element after one blank, in double quotes when it is
// empty or holds a blank or a control character. The first element is quoted always.
// SplitArguments gives `argv` back when no element is empty or holds a double quote or a
// zero byte; empty elements are skipped by it.
std::string JoinCommandLine(const std::vector<std::string>& argv);

}  // namespace slp
