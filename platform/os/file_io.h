#pragma once
// Small file steps that the settings writer, the file replacement and the readers of /proc
// share.

#include <string>
#include <string_view>

namespace slp {

// Writes all of `data` to `fd`, going on after interruptions. 0, or the errno of the failure.
int WriteAll(int fd, std::string_view data);

// The folder part of `path` with its separator ("dir/"), or "." for a bare name.
std::string FolderOf(const std::string& path);

// Reads the whole file at `path` into `text`. False when it cannot be opened (`missing` tells
// whether it does not exist) or read.
bool ReadWholeFile(const std::string& path, std::string& text, bool& missing);

}  // namespace slp
