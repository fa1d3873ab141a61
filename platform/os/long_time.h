#pragma once

#include <ctime>
#include <string>

namespace slp {

// `when` as the user's locale writes a time with seconds and without a time zone
// ("14:02:33", or "02:02:33 PM" in a 12-hour locale). Needs setlocale(LC_ALL, "") first.
std::string FormatLongTime(std::time_t when);

}  // namespace slp
