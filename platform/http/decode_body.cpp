// Reply bodies as UTF-8 text: the charset of the Content-Type header, else of an HTML meta
// declaration, else byte for byte. Plain C++ on glibc's iconv.
#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/http/http_client.h"
#include "platform/os/text.h"

namespace slp {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t kMaxCharsetName = 40;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

using text::EqualsIgnoreAsciiCase;

bool StartsWithIgnoreCase(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.size() - at >= prefix.size() &&
         EqualsIgnoreAsciiCase(text.substr(at, prefix.size()), prefix);
}

std::string_view Trim(std::string_view s) { return text::Trim(s, IsSpace); }

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

// The value of the "charset" parameter of a media type ("text/html; charset=utf-8"); empty
// when there is none.
std::string_view CharsetParameter(std::string_view mediaType) {
  std::size_t at = mediaType.find(';');
  while (at != std::string_view::npos) {
    const std::size_t next = mediaType.find(';', at + 1);
    const std::string_view parameter =
        mediaType.substr(at + 1, next == std::string_view::npos ? next : next - at - 1);
    const std::size_t eq = parameter.find('=');
    if (eq != std::string_view::npos &&
        EqualsIgnoreAsciiCase(Trim(parameter.substr(0, eq)), "charset"))
      return Trim(Unquote(Trim(parameter.substr(eq + 1))));
    at = next;
  }
  return {};
}

// The attributes of one tag, read from just after its name up to its '>'.
struct MetaTag {
  std::string_view charset;
  std::string_view httpEquiv;
  std::string_view content;
  bool hasCharset = false;
  bool hasContent = false;
};

// Reads the attributes of the tag whose name ends at `at`; returns where the tag ends.
std::size_t ReadAttributes(std::string_view html, std::size_t at, MetaTag& tag) {
  const std::size_t n = html.size();
  while (at < n) {
    while (at < n && (IsSpace(html[at]) || html[at] == '/')) ++at;
    if (at >= n || html[at] == '>') break;
    const std::size_t nameBegin = at;
    while (at < n && !IsSpace(html[at]) && html[at] != '/' && html[at] != '>' && html[at] != '=')
      ++at;
    const std::string_view name = html.substr(nameBegin, at - nameBegin);
    while (at < n && IsSpace(html[at])) ++at;
    std::string_view value;
    bool hasValue = false;
    if (at < n && html[at] == '=') {
      hasValue = true;
      ++at;
      while (at < n && IsSpace(html[at])) ++at;
      if (at < n && (html[at] == '"' || html[at] == '\'')) {
        const char quote = html[at++];
        const std::size_t close = html.find(quote, at);
        const std::size_t end = close == std::string_view::npos ? n : close;
        value = html.substr(at, end - at);
        at = close == std::string_view::npos ? n : close + 1;
      } else {
        const std::size_t valueBegin = at;
        while (at < n && !IsSpace(html[at]) && html[at] != '>') ++at;
        value = html.substr(valueBegin, at - valueBegin);
      }
    }
    // The first of each attribute counts.
    if (EqualsIgnoreAsciiCase(name, "charset") && !tag.hasCharset) {
      tag.hasCharset = hasValue;
      tag.charset = value;
    } else if (EqualsIgnoreAsciiCase(name, "http-equiv") && tag.httpEquiv.empty()) {
      tag.httpEquiv = value;
    } else if (EqualsIgnoreAsciiCase(name, "content") && !tag.hasContent) {
      tag.hasContent = hasValue;
      tag.content = value;
    }
  }
  return at;
}

// The charset named by the first meta declaration that names one: <meta charset="..."> or
// <meta http-equiv="Content-Type" content="...; charset=...">. Comments are skipped. Linear in
// the body's length.
std::string_view MetaCharset(std::string_view html) {
  const std::size_t n = html.size();
  std::size_t at = html.find('<');
  while (at != std::string_view::npos) {
    if (html.compare(at, 4, "<!--") == 0) {
      const std::size_t close = html.find("-->", at + 4);
      if (close == std::string_view::npos) return {};
      at = html.find('<', close + 3);
      continue;
    }
    if (StartsWithIgnoreCase(html, at, "<meta") &&
        (at + 5 == n || IsSpace(html[at + 5]) || html[at + 5] == '/' || html[at + 5] == '>')) {
      MetaTag tag;
      const std::size_t end = ReadAttributes(html, at + 5, tag);
      const std::string_view named = Trim(Unquote(Trim(tag.charset)));
      if (tag.hasCharset && !named.empty()) return named;
      if (EqualsIgnoreAsciiCase(Trim(tag.httpEquiv), "content-type") && tag.hasContent) {
        const std::string_view fromContent = CharsetParameter(tag.content);
        if (!fromContent.empty()) return fromContent;
      }
      if (end >= n) return {};
      at = html.find('<', end + 1);
      continue;
    }
    at = html.find('<', at + 1);
  }
  return {};
}

// Charset names iconv is asked about: letters, digits and a few marks, never its "//" options.
bool IsPlausibleCharsetName(std::string_view name) {
  if (name.empty() || name.size() > kMaxCharsetName) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == ':' || c == '+' || c == '(' || c == ')';
  });
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char c : bytes) text::AppendUtf8(static_cast<unsigned char>(c), out);
  return out;
}

// Length of the well-formed UTF-8 sequence at `at`; 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t at) {
  const text::Utf8Step step = text::Utf8At(s, at);
  return step.valid ? step.bytes : 0;
}

// iconv passes some ill-formed code points through (beyond U+10FFFF, for one): each byte that
// starts no well-formed sequence becomes U+FFFD.
void MakeWellFormed(std::string& text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t n = Utf8SequenceLength(text, at);
    if (n == 0) break;
    at += n;
  }
  if (at == text.size()) return;
  std::string out(text, 0, at);
  while (at < text.size()) {
    const std::size_t n = Utf8SequenceLength(text, at);
    if (n == 0) {
      out += kReplacement;
      ++at;
    } else {
      out.append(text, at, n);
      at += n;
    }
  }
  text = std::move(out);
}

// Converts with iconv; a byte that does not decode becomes U+FFFD. False when iconv does not
// know the charset.
bool ConvertToUtf8(std::string_view bytes, const std::string& charset, std::string& out) {
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  out.reserve(bytes.size() + bytes.size() / 2);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char buffer[4096];
  for (;;) {
    char* o = buffer;
    std::size_t oLeft = sizeof buffer;
    const std::size_t r =
        inLeft > 0 ? iconv(cd, &in, &inLeft, &o, &oLeft) : iconv(cd, nullptr, nullptr, &o, &oLeft);
    const int error = errno;
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    if (r != static_cast<std::size_t>(-1)) {
      if (inLeft == 0 && o == buffer) break;  // all read and the shift state flushed
      continue;
    }
    if (error == E2BIG) continue;
    if (inLeft == 0) break;  // a flush that failed: nothing more to give
    // An invalid or incomplete sequence: one replacement for its first byte, then on.
    out += kReplacement;
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  MakeWellFormed(out);
  return true;
}

}  // namespace

std::string BodyCharset(std::string_view body, std::string_view contentType) {
  std::string_view named = CharsetParameter(contentType);
  if (named.empty()) named = MetaCharset(body);
  return std::string(named);
}

std::string DecodeBody(std::string_view body, std::string_view contentType) {
  const std::string charset = BodyCharset(body, contentType);
  std::string out;
  if (IsPlausibleCharsetName(charset) && ConvertToUtf8(body, charset, out)) return out;
  return Latin1ToUtf8(body);
}

}  // namespace slp
