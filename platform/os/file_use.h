#pragma once
// Whether a file is a program, and whether another program holds it.

#include <string>

namespace slp {

// A regular file (links followed) with at least one execute bit.
bool IsProgramFile(const std::string& path);

// Whether the existing file `path` is held elsewhere: it cannot be opened for writing, or
// another process holds a lock on it (record locks of either kind, or a whole-file lock).
// A file that does not exist is not in use.
bool IsFileInUse(const std::string& path);

}  // namespace slp
