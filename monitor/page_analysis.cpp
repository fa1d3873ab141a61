#include "monitor/page_analysis.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace slp {
namespace {

constexpr size_t kNotFound = std::string_view::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }
char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// A fixed text to look for. With `fold` the source's ASCII letters match in either case;
// the text itself is then written in lower case.
struct Literal {
  std::string_view text;
  // Two positions in `text` tested for 16 source positions at once; a full compare runs
  // only where both bytes agree. Chosen so that the pair is rare in HTML.
  size_t probe1;
  size_t probe2;
  bool fold;
};

bool MatchesAt(const char* at, const Literal& literal) {
  if (!literal.fold) return std::memcmp(at, literal.text.data(), literal.text.size()) == 0;
  for (size_t k = 0; k < literal.text.size(); ++k) {
    if (ToLowerAscii(at[k]) != literal.text[k]) return false;
  }
  return true;
}

// Position of the first occurrence of `literal` at or after `from` that `accept(position)`
// takes, or kNotFound. The caller's test runs inside the scan, so a page full of near
// misses costs no restarts.
template <typename Accept>
size_t FindLiteral(std::string_view source, size_t from, const Literal& literal, Accept&& accept) {
  const size_t size = source.size();
  const size_t length = literal.text.size();
  const char* data = source.data();
  size_t at = from;
#if defined(__SSE2__)
  if (from <= size && size - from >= length + 15) {
    const char want1 = literal.text[literal.probe1];
    const char want2 = literal.text[literal.probe2];
    // Setting bit 0x20 lowers an ASCII capital; for a letter probe that keeps every byte
    // that folds to it (plus nothing else that MatchesAt would accept).
    const __m128i fold1 = _mm_set1_epi8(literal.fold && IsLowerLetter(want1) ? 0x20 : 0);
    const __m128i fold2 = _mm_set1_epi8(literal.fold && IsLowerLetter(want2) ? 0x20 : 0);
    const __m128i wanted1 = _mm_set1_epi8(want1);
    const __m128i wanted2 = _mm_set1_epi8(want2);
    // A short folded text is compared 16 bytes at once where the source has them.
    alignas(16) char lower[16] = {};
    alignas(16) char fold[16] = {};
    const bool whole_block = literal.fold && length <= 16;
    if (whole_block) {
      for (size_t k = 0; k < length; ++k) {
        lower[k] = literal.text[k];
        fold[k] = IsLowerLetter(literal.text[k]) ? 0x20 : 0;
      }
    }
    const __m128i lower_block = _mm_load_si128(reinterpret_cast<const __m128i*>(lower));
    const __m128i fold_block = _mm_load_si128(reinterpret_cast<const __m128i*>(fold));
    const unsigned cared = (1u << (whole_block ? length : 0)) - 1;
    const auto matches = [&](size_t candidate) {
      if (!whole_block || size - candidate < 16) return MatchesAt(data + candidate, literal);
      const __m128i bytes = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + candidate)), fold_block);
      const unsigned equal =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lower_block)));
      return (equal & cared) == cared;
    };
    // Every one of the 16 positions of a block has room for the whole text.
    const size_t last_block = size - length - 15;
    for (; at <= last_block; at += 16) {
      const __m128i bytes1 = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + literal.probe1)), fold1);
      const __m128i bytes2 = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + literal.probe2)), fold2);
      unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_and_si128(_mm_cmpeq_epi8(bytes1, wanted1), _mm_cmpeq_epi8(bytes2, wanted2))));
      while (mask != 0) {
        const size_t candidate = at + static_cast<size_t>(__builtin_ctz(mask));
        if (matches(candidate) && accept(candidate)) return candidate;
        mask &= mask - 1;
      }
    }
  }
#endif
  for (; at < size && size - at >= length; ++at) {
    if (MatchesAt(data + at, literal) && accept(at)) return at;
  }
  return kNotFound;
}

// One compiled pattern with room for its groups, freed on every path.
class Pattern {
 public:
  explicit Pattern(std::string_view pattern) {
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), 0,
                              &error, &error_offset, nullptr));
    if (code_) match_.reset(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
  }

  bool Usable() const { return code_ && match_; }

  // pcre2_match's result for a match that must start exactly at `start`.
  int MatchAt(std::string_view source, size_t start) {
    return pcre2_match(code_.get(), reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(),
                       start, PCRE2_ANCHORED, match_.get(), nullptr);
  }

  // Group `n` of the last successful match.
  std::string_view Group(std::string_view source, int n) const {
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match_.get());
    const PCRE2_SIZE begin = ovector[2 * n];
    const PCRE2_SIZE end = ovector[2 * n + 1];
    if (begin == PCRE2_UNSET || end < begin) return {};
    return source.substr(begin, end - begin);
  }

 private:
  struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
  };
  struct MatchFree {
    void operator()(pcre2_match_data* match) const { pcre2_match_data_free(match); }
  };
  std::unique_ptr<pcre2_code, CodeFree> code_;
  std::unique_ptr<pcre2_match_data, MatchFree> match_;
};

// Both markers end in the same tags; the words before them are checked at each hit.
// '/' and 'd' eight bytes apart: "</span></span>" and "</a></div>", the common close
// runs, do not have that pair.
constexpr Literal kMarkerTail{"</span></div>", 1, 9, true};
constexpr std::string_view kMarkerWords[] = {"stream", "flux"};

constexpr std::string_view kPostTimePattern = R"((\d\d):(\d\d)</a></span> &nbsp;-&nbsp; <)";
constexpr size_t kPostTimeHead = 5;  // "hh:mm"
// The entity's 'b' and the closing '<': prose and other markup rarely have that pair.
constexpr Literal kPostTimeTail{"</a></span> &nbsp;-&nbsp; <", 21, 26, false};

constexpr std::string_view kCounterPattern = R"(>(\d+)</span></span></a>)";
// The 's' of the second </span> and the 'a' of </a>: longer </span> runs have 'p' there.
constexpr Literal kCounterTail{"</span></span></a>", 9, 16, false};

bool EndsWithFolded(std::string_view text, std::string_view lower_word) {
  if (text.size() < lower_word.size()) return false;
  const size_t start = text.size() - lower_word.size();
  // From the end: most words before the tags differ in their last letter.
  for (size_t k = lower_word.size(); k-- > 0;) {
    if (ToLowerAscii(text[start + k]) != lower_word[k]) return false;
  }
  return true;
}

}  // namespace

bool HasStreamMarker(std::string_view source) {
  const auto after_word = [source](size_t tail) {
    for (std::string_view word : kMarkerWords) {
      if (EndsWithFolded(source.substr(0, tail), word)) return true;
    }
    return false;
  };
  return FindLiteral(source, 0, kMarkerTail, after_word) != kNotFound;
}

// PCRE2 decides every match; the literal search only proposes where one can start.
// A match of the post time pattern is five bytes followed by the tail, so each match
// starts five bytes before an occurrence of the tail, and a later tail means a later
// start: the first tail whose head PCRE2 accepts gives PCRE2's own first match.
std::optional<std::string> FindPostTime(std::string_view source) {
  Pattern pattern(kPostTimePattern);
  if (!pattern.Usable()) return std::nullopt;
  int groups = PCRE2_ERROR_NOMATCH;
  const auto confirmed = [&](size_t tail) {
    const char* head = source.data() + tail - kPostTimeHead;
    // Saves a PCRE2 call on the many near misses; PCRE2 still has the last word.
    if (!IsDigit(head[0]) || !IsDigit(head[1]) || head[2] != ':' || !IsDigit(head[3]) ||
        !IsDigit(head[4])) {
      return false;
    }
    groups = pattern.MatchAt(source, tail - kPostTimeHead);
    return groups != PCRE2_ERROR_NOMATCH;
  };
  // A tail closer than five bytes to the start has no room for the head.
  if (FindLiteral(source, kPostTimeHead, kPostTimeTail, confirmed) == kNotFound) {
    return std::nullopt;
  }
  if (groups != 3) return std::nullopt;  // an error, or another group count
  std::string time(pattern.Group(source, 1));
  time += ':';
  time += pattern.Group(source, 2);
  return time;
}

// \d+ cannot run into the tail, which begins with '<', so a match ends its digits right
// before a tail: each tail has one possible start, the '>' before the digit run that
// precedes it. That run lies after the previous tail (whose '<' is no digit), so starts
// grow with tails, the first one PCRE2 accepts is its own first match, and walking back
// over a run never reads a byte twice.
std::optional<std::string> FindCounter(std::string_view source) {
  Pattern pattern(kCounterPattern);
  if (!pattern.Usable()) return std::nullopt;
  int groups = PCRE2_ERROR_NOMATCH;
  const auto confirmed = [&](size_t tail) {
    size_t digits = tail;
    while (digits > 0 && IsDigit(source[digits - 1])) --digits;
    if (digits == tail || digits == 0 || source[digits - 1] != '>') return false;
    groups = pattern.MatchAt(source, digits - 1);
    return groups != PCRE2_ERROR_NOMATCH;
  };
  if (FindLiteral(source, 0, kCounterTail, confirmed) == kNotFound) return std::nullopt;
  if (groups != 2) return std::nullopt;  // an error, or another group count
  return std::string(pattern.Group(source, 1));
}

Change DetectChange(std::string_view source, std::string& sLastTime, std::string& sLastNotif) {
  if (!HasStreamMarker(source)) return Change::None;

  if (std::optional<std::string> time = FindPostTime(source); time && *time != sLastTime) {
    const bool announce = !sLastTime.empty();
    sLastTime = std::move(*time);
    // A counter change seen now waits for the next check.
    if (announce) return Change::LastPost;
  }

  if (std::optional<std::string> count = FindCounter(source); count && *count != sLastNotif) {
    const bool announce = !sLastNotif.empty() && *count != "0";
    sLastNotif = std::move(*count);
    if (announce) return Change::Notification;
  }
  return Change::None;
}

}  // namespace slp
