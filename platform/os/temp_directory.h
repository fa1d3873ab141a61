#pragma once
// The user's temporary directory. /tmp is shared between users, and the updater writes
// programs there, so the default is a private directory of our own.

#include <string>

#include "platform/os/environment.h"

namespace slp {

// Returns the temporary directory, ending in "/": $TMPDIR when it names a directory the user
// can write to, else <shared_base>/slp-<uid>/, created with mode 0700, or when it exists,
// accepted only as a real directory owned by the user (its mode is then set to 0700).
// Returns "" when neither can be had; callers treat that as a failure.
std::string GetTempDirectory(const EnvironmentLookup& lookup = SystemEnvironment(),
                             const std::string& shared_base = "/tmp");

}  // namespace slp
