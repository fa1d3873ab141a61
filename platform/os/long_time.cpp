#include "platform/os/long_time.h"

#include <langinfo.h>

#include <string_view>

namespace slp {

std::string FormatLongTime(std::time_t when) {
  std::string format = nl_langinfo(T_FMT);
  if (format.empty()) format = "%H:%M:%S";
  // Some locales append the zone; a long time has none.
  for (std::string_view zone : {" %Z", "%Z", " %z", "%z"}) {
    const auto at = format.find(zone);
    if (at != std::string::npos) format.erase(at, zone.size());
  }
  std::tm local{};
  localtime_r(&when, &local);
  char buffer[128];
  const size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &local);
  return std::string(buffer, n);
}

}  // namespace slp
