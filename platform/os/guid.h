#pragma once
// Globally unique identifiers in the registry's text form.

#include <string>

namespace slp {

// A new random GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hexadecimal, 38
// characters); "" when the system gives no random bytes.
std::string NewGuidString();

}  // namespace slp
