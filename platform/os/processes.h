#pragma once
// The executables of the running processes.

#include <string>
#include <vector>

namespace slp {

// Appends the full executable path of every running process that can be examined, in the
// order the system lists them. A process whose executable file was replaced or removed while
// it runs is listed under the path it was started from.
void GetProcessList(std::vector<std::string>& list);

// Whether a running process's executable has the path `path`, ASCII letters compared without
// regard to case and every other character exactly.
bool IsProcessRunning(const std::string& path);

// The full path of this process's executable, also after its file was replaced while it runs;
// "" when the system does not tell.
std::string RunningExecutablePath();

// The comparison IsProcessRunning makes.
bool SamePathIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace slp
