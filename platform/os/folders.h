#pragma once

#include <string>

namespace slp {

// Creates `path` and every missing parent. Folders made here get `mode` (less the umask);
// folders that exist keep theirs. True when `path` is a folder afterwards.
bool CreateFolders(const std::string& path, unsigned mode);

// Creates the folder `path` (its parent must exist) for this user alone, or accepts an
// existing one that is ours: a real folder, not a link, owned by this user, whose mode is
// then made 0700. False otherwise; in a folder others can write to, a name may be taken first.
bool MakePrivateFolder(const std::string& path);

}  // namespace slp
