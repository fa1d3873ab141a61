// Checks the page analysis against the plain way of doing it: PCRE2 searching the whole
// buffer from its start, and the markers looked up in a lowered copy. Any difference traps.

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "monitor/page_analysis.h"

namespace {

// Groups 1..groups-1 of PCRE2's first match, joined by `separator`, when the match has
// exactly `groups` groups.
std::optional<std::string> PlainSearch(std::string_view source, const char* pattern, int groups,
                                       std::string_view separator) {
  int error = 0;
  PCRE2_SIZE error_offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0,
                                   &error, &error_offset, nullptr);
  if (code == nullptr) __builtin_trap();
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
  if (match == nullptr) __builtin_trap();
  const int found = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(), 0,
                                0, match, nullptr);
  std::optional<std::string> result;
  if (found == groups) {
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match);
    result.emplace();
    for (int group = 1; group < groups; ++group) {
      if (group > 1) *result += separator;
      *result += source.substr(ovector[2 * group], ovector[2 * group + 1] - ovector[2 * group]);
    }
  } else if (found != PCRE2_ERROR_NOMATCH && found < 0) {
    __builtin_trap();  // these patterns cannot hit a limit
  }
  pcre2_match_data_free(match);
  pcre2_code_free(code);
  return result;
}

bool PlainMarker(std::string_view source) {
  std::string lower(source);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower.find("stream</span></div>") != std::string::npos ||
         lower.find("flux</span></div>") != std::string::npos;
}

slp::Change PlainChange(bool marked, const std::optional<std::string>& time,
                        const std::optional<std::string>& count, std::string& last_time,
                        std::string& last_notif) {
  if (!marked) return slp::Change::None;
  if (time && *time != last_time) {
    const bool announce = !last_time.empty();
    last_time = *time;
    if (announce) return slp::Change::LastPost;
  }
  if (count && *count != last_notif) {
    const bool announce = !last_notif.empty() && *count != "0";
    last_notif = *count;
    if (announce) return slp::Change::Notification;
  }
  return slp::Change::None;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);

  const bool marked = PlainMarker(source);
  const std::optional<std::string> time =
      PlainSearch(source, R"((\d\d):(\d\d)</a></span> &nbsp;-&nbsp; <)", 3, ":");
  const std::optional<std::string> count =
      PlainSearch(source, R"(>(\d+)</span></span></a>)", 2, "");

  if (slp::HasStreamMarker(source) != marked) __builtin_trap();
  if (slp::FindPostTime(source) != time) __builtin_trap();
  if (slp::FindCounter(source) != count) __builtin_trap();

  // Previous values: none yet, the page's own, and others.
  const std::pair<std::string, std::string> states[] = {{"", ""},
                                                        {time.value_or(""), count.value_or("")},
                                                        {time.value_or("00:00"), "0"},
                                                        {"99:99", count.value_or("1")},
                                                        {"00:00", "1"}};
  for (const auto& [time_before, notif_before] : states) {
    std::string sLastTime = time_before;
    std::string sLastNotif = notif_before;
    std::string expected_time = time_before;
    std::string expected_notif = notif_before;
    const slp::Change change = slp::DetectChange(source, sLastTime, sLastNotif);
    if (change != PlainChange(marked, time, count, expected_time, expected_notif)) {
      __builtin_trap();
    }
    if (sLastTime != expected_time || sLastNotif != expected_notif) __builtin_trap();
  }
  return 0;
}
