// This test program speaks French, as a user's program does under LANG=fr_FR.UTF-8: the
// variable is set before main, so before the language is fixed at the first lookup.
#include <stdlib.h>

namespace {
const bool kFrench = [] { return setenv("LANG", "fr_FR.UTF-8", 1) == 0; }();
}  // namespace
