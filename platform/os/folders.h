#pragma once

#include <string>

namespace slp {

// Creates `path` and every missing parent. Folders made here get `mode` (less the umask);
// folders that exist keep theirs. True when `path` is a folder afterwards.
bool CreateFolders(const std::string& path, unsigned mode);

}  // namespace slp
