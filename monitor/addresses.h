#pragma once
// The service addresses the notifier uses. Paths and queries are fixed; the origins
// (scheme and host) are deployment constants chosen at build time.

#include <string>
#include <string_view>

namespace slp {

struct Addresses {
  std::string StreamUrl;          // where the notifier navigates
  std::string RootUrl;            // recognised as the stream
  std::string StreamPageUrl;      // recognised as the stream
  std::string SettingsUrl;        // end of the sign-in flow
  std::string SignInDoneUrl;      // sign-in completion page of the account service
  std::string VersionServiceUrl;  // + own file version
  std::string DownloadUrl;        // the newest notifier file

  // `partner` is the https origin of the account service's partner sign-in host.
  static Addresses FromOrigins(std::string_view social, std::string_view account,
                               std::string_view partner, std::string_view maker);
};

// Percent-encodes everything but RFC 3986's unreserved characters.
std::string UrlEncode(std::string_view text);

}  // namespace slp
