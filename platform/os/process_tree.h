#pragma once
// The processes below one process, read from /proc, and their memory.

#include <dirent.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/os/file_io.h"

namespace slp {

// A file of /proc, empty when it cannot be read: a process may end between the listing and
// the read, which then fails.
inline std::string ReadProcFile(const std::string& path) {
  std::string text;
  bool missing = false;
  return ReadWholeFile(path, text, missing) ? text : std::string();
}

// The parent's id of `pid`, or 0 when the process is gone.
inline int ParentOf(int pid) {
  const std::string text = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t end = text.rfind(')');
  if (end == std::string::npos || end + 2 > text.size()) return 0;
  std::istringstream rest(text.substr(end + 2));
  std::string state;
  int ppid = 0;
  rest >> state >> ppid;
  return ppid;
}

// `root` and every process below it, parents before their children.
inline std::vector<int> ProcessTree(int root) {
  std::vector<std::pair<int, int>> all;  // pid, parent
  if (DIR* dir = opendir("/proc")) {
    while (dirent* e = readdir(dir)) {
      const int pid = std::atoi(e->d_name);
      if (pid > 0) all.emplace_back(pid, ParentOf(pid));
    }
    closedir(dir);
  }
  std::vector<int> tree{root};
  for (size_t i = 0; i < tree.size(); ++i)
    for (const auto& [pid, parent] : all)
      if (parent == tree[i]) tree.push_back(pid);
  return tree;
}

inline bool InTree(int root, int pid) {
  for (int p : ProcessTree(root))
    if (p == pid) return true;
  return false;
}

// The command line of `pid`, its arguments joined by blanks.
inline std::string CommandLine(int pid) {
  std::string text = ReadProcFile("/proc/" + std::to_string(pid) + "/cmdline");
  for (char& c : text)
    if (c == '\0') c = ' ';
  return text;
}

// The browser engine's renderer processes below `root`. The engine's helpers that `root`
// starts are zygotes; the renderers are forked from them, one level further down, and keep
// the zygote's command line.
inline std::vector<int> EngineRenderers(int root) {
  std::vector<int> renderers;
  for (int pid : ProcessTree(root)) {
    const int parent = ParentOf(pid);
    if (pid != root && parent != root && parent != 0 &&
        CommandLine(parent).find("QtWebEngineProcess") != std::string::npos)
      renderers.push_back(pid);
  }
  return renderers;
}

// Proportional set size of one process in KiB (0 when it is gone).
inline long PssKb(int pid) {
  std::istringstream in(ReadProcFile("/proc/" + std::to_string(pid) + "/smaps_rollup"));
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Pss:", 0) == 0) return std::stol(line.substr(4));
  return 0;
}

inline long TreePssKb(int root) {
  long total = 0;
  for (int pid : ProcessTree(root)) total += PssKb(pid);
  return total;
}

}  // namespace slp
