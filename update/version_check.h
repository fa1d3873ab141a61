#pragma once
// The version check's rules, free of Qt: the address that asks the maker's version service for
// the current version, how a reply reads, and what it announces.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/http/http_client.h"

namespace slp {

// Gives the user's-language text of an English one (the identity until catalogs exist).
using TranslateFunction = std::function<std::string(std::string_view english)>;

// A reply longer than this many characters (UTF-16 code units, as the text is shown) names no
// version in the announcement.
inline constexpr std::size_t kMaxAnnouncedVersionLength = 20;

// The request address: `versionServiceUrl` followed by the own version, URL-encoded.
std::string VersionRequestUrl(std::string_view versionServiceUrl, std::string_view ownVersion);

// The reply as text: its decoded body when it is an answer (2xx), else the own version, so that
// a failure reads exactly like an up-to-date answer.
std::string VersionReplyText(const HttpReply& reply, std::string_view ownVersion);

// The balloon text announcing `reply` (UTF-8), or nothing when it equals `ownVersion` exactly.
// Every other reply announces, a lower version or a line break after it included.
std::optional<std::string> UpdateAnnouncement(std::string_view reply, std::string_view ownVersion,
                                              std::string_view programName,
                                              const TranslateFunction& translate);

}  // namespace slp
