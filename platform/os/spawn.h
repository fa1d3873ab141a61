#pragma once
// Starting a program the way the shell's "open" does, without a shell.

#include <string>

namespace slp {

// Starts the program `file` with the arguments that SplitArguments finds in `parameters`, in
// the working directory `directory` ("" keeps ours). A `file` without a folder is looked up in
// that directory. The program runs on by itself: in a session of its own, with the default
// signal handling, and it outlives this process. Returns the new process's id, or -1 when it
// could not be started (a missing or non-executable file included).
long long ShellOpen(const std::string& file, const std::string& parameters,
                    const std::string& directory);

}  // namespace slp
