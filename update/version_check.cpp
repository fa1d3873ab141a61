#include "update/version_check.h"

#include "monitor/addresses.h"
#include "platform/os/text.h"

namespace slp {

std::string VersionRequestUrl(std::string_view versionServiceUrl, std::string_view ownVersion) {
  return std::string(versionServiceUrl) + UrlEncode(ownVersion);
}

std::string VersionReplyText(const HttpReply& reply, std::string_view ownVersion) {
  if (!reply.ok) return std::string(ownVersion);
  return DecodeBody(reply.body, reply.contentType);
}

std::optional<std::string> UpdateAnnouncement(std::string_view reply, std::string_view ownVersion,
                                              std::string_view programName,
                                              const TranslateFunction& translate) {
  if (reply == ownVersion) return std::nullopt;
  const std::string_view shown =
      text::Utf16Units(reply) > kMaxAnnouncedVersionLength ? std::string_view() : reply;
  std::string text = translate("A new version is available: ");
  text += shown;
  text += ".\r\n\r\n";
  text += translate("Click to close");
  text += ' ';
  text += programName;
  text += ' ';
  text += translate("and update your version.");
  return text;
}

}  // namespace slp
