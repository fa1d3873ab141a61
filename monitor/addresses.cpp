#include "monitor/addresses.h"

namespace slp {

std::string UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
                            c == '~';
    if (unreserved) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

Addresses Addresses::FromOrigins(std::string_view social, std::string_view account,
                                 std::string_view partner, std::string_view maker) {
  const std::string s(social), a(account), m(maker);
  Addresses r;
  r.StreamUrl = s + "/stream?tab=XX";
  r.RootUrl = s + "/";
  r.StreamPageUrl = s + "/stream";
  r.SettingsUrl = s + "/settings/";
  r.SignInDoneUrl = a + "/accounts/CheckCookie?chtml=LoginDoneHtml&dnConn=" + UrlEncode(partner) +
                    "&pstMsg=1";
  r.VersionServiceUrl = m + "/slp/version?";
  r.DownloadUrl = m + "/zazavezod/download?slp.exe";
  return r;
}

}  // namespace slp
