#pragma once
// Reading the stream page's HTML source: is it the stream, the latest post's time, the
// notification counter, and which of them changed since the previous check.

#include <optional>
#include <string>
#include <string_view>

namespace slp {

// Whether the source holds "Stream</span></div>" (English page) or "Flux</span></div>"
// (French page) anywhere, ASCII letters compared without regard to case. One pass.
bool HasStreamMarker(std::string_view source);

// The latest post's time, hours + ":" + minutes as printed, from the first match of
// "(\d\d):(\d\d)</a></span> &nbsp;-&nbsp; <". Nothing when there is no match.
std::optional<std::string> FindPostTime(std::string_view source);

// The notification counter's digits as printed, from the first match of
// ">(\d+)</span></span></a>". Nothing when there is no match.
std::optional<std::string> FindCounter(std::string_view source);

enum class Change { None, LastPost, Notification };

// Compares the page with the values of the previous check and stores what it finds.
// Pages without a stream marker change nothing. A new post time wins over the counter,
// which is then left for a later check. The first value of each is stored silently, and so
// is a counter of "0". Returns what is to be announced; for LastPost the new time is
// `sLastTime` afterwards. Reads the source at most four times.
Change DetectChange(std::string_view source, std::string& sLastTime, std::string& sLastNotif);

}  // namespace slp
