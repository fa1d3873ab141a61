// Speed of the stream page analysis on generated pages of 1 MB and 10 MB, next to a plain
// memchr over the same bytes (the ceiling for any pass over memory). bytes_per_second counts
// the whole page, also where the analysis stops early.

#include <benchmark/benchmark.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "monitor/page_analysis.h"

namespace {

// Markup and text of a busy stream: plenty of digits and tags, and near misses of every
// pattern (each tail with the wrong head, each head with the wrong tail).
constexpr std::string_view kNoise[] = {
    "<div class=\"post\"><span><a href=\"/posts/9817263\">12:34</a></span> <span>",
    "Posted 2024-03-14 at 12:34:56 by user 1234567890, 42 comments, 17 shares. ",
    "<span class=\"n\">42</span></span></b>",
    "12:34</a></span> &nbsp;-&nbsp; x",
    "ab:cd</a></span> &nbsp;-&nbsp; <",
    "<i>7:05</a></span> &nbsp;-&nbsp; <",
    "<span>Status</span></div><div><span>Streams</span></div>",
    "<span>stream</span> <div>Flux</span></span></div>",
    "</span></span></div></span></div>",
    "x77</span></span></a><a>></span></span></a>",
    "0123456789:01</a></span> &nbsp;&nbsp;",
    "\n  <p>Some words of a post &lt;b&gt; with &amp; entities and more words.</p>\n",
    "<img src=\"/img/a1b2c3d4e5.png\" width=\"48\" height=\"48\" alt=\"\">",
};

constexpr std::string_view kMarker = "<div class=\"title\"><span>Stream</span></div>";
constexpr std::string_view kCounter = "<a href=\"/n\"><span class=\"c\"><span>3</span></span></a>";
constexpr std::string_view kPost =
    "<div class=\"post\"><span><a href=\"/posts/1\">09:41</a></span> &nbsp;-&nbsp; <span>";

std::string Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  text.reserve(size + 256);
  while (text.size() < size) text += kNoise[random() % std::size(kNoise)];
  text.resize(size);
  return text;
}

// Worst case: the marker and both values in the last bytes, so every pass reads it all.
std::string WorstPage(size_t size) {
  const std::string tail = std::string(kMarker) + std::string(kPost) + std::string(kCounter);
  return Noise(size - tail.size(), 1) + tail;
}

// Like a real page: the title, the counter in the bar and the first post near the top.
std::string TypicalPage(size_t size) {
  const std::string head = "<html><head><title>Stream</title></head><body>" + Noise(20000, 2) +
                           std::string(kCounter) + Noise(8000, 3) + std::string(kMarker) +
                           Noise(12000, 4) + std::string(kPost);
  return head + Noise(size - head.size(), 5);
}

const std::string& Cached(const char* kind, size_t size) {
  static std::map<std::pair<std::string, size_t>, std::string> pages;
  auto key = std::make_pair(std::string(kind), size);
  auto it = pages.find(key);
  if (it == pages.end()) {
    it = pages.emplace(key, std::strcmp(kind, "worst") == 0 ? WorstPage(size) : TypicalPage(size))
             .first;
  }
  return it->second;
}

// Both pages must be what they claim: the only matches are the planted ones.
bool PlantedOnly(const std::string& page, const char* kind) {
  std::string lower = page;
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  const size_t marker = lower.find("stream</span></div>");
  const size_t time = page.find("09:41</a></span> &nbsp;-&nbsp; <");
  const size_t counter = page.find(">3</span></span></a>");
  const bool worst = std::strcmp(kind, "worst") == 0;
  const size_t limit = worst ? page.size() - 300 : 60000;
  return marker != std::string::npos && time != std::string::npos && counter != std::string::npos &&
         (marker > limit) == worst && (time > limit) == worst && (counter > limit) == worst &&
         lower.find("flux</span></div>") == std::string::npos &&
         slp::FindPostTime(page) == "09:41" && slp::FindCounter(page) == "3";
}

void SizeArgs(benchmark::internal::Benchmark* b) {
  b->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);
}

template <const char* kKind>
void BM_DetectChange(benchmark::State& state) {
  const std::string& page = Cached(kKind, static_cast<size_t>(state.range(0)));
  if (!PlantedOnly(page, kKind)) {
    state.SkipWithError("generated page has matches outside the planted ones");
    return;
  }
  for (auto _ : state) {
    // Values as on the page: nothing changes, so the counter is read too.
    std::string sLastTime = "09:41";
    std::string sLastNotif = "3";
    benchmark::DoNotOptimize(slp::DetectChange(page, sLastTime, sLastNotif));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}

template <const char* kKind>
void BM_HasStreamMarker(benchmark::State& state) {
  const std::string& page = Cached(kKind, static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(slp::HasStreamMarker(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}

template <const char* kKind>
void BM_FindPostTime(benchmark::State& state) {
  const std::string& page = Cached(kKind, static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(slp::FindPostTime(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}

template <const char* kKind>
void BM_FindCounter(benchmark::State& state) {
  const std::string& page = Cached(kKind, static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(slp::FindCounter(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}

// The reference: one memchr for a byte the page does not hold.
template <const char* kKind>
void BM_MemchrAbsentByte(benchmark::State& state) {
  const std::string& page = Cached(kKind, static_cast<size_t>(state.range(0)));
  if (page.find('\x01') != std::string::npos) {
    state.SkipWithError("the page holds the byte");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::memchr(page.data(), '\x01', page.size()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}

// For comparison: PCRE2's own unanchored search for the post time, without the literal
// search in front (interpreter, no JIT).
template <const char* kKind>
void BM_PlainPcre2PostTime(benchmark::State& state) {
  const std::string& page = Cached(kKind, static_cast<size_t>(state.range(0)));
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(R"((\d\d):(\d\d)</a></span> &nbsp;-&nbsp; <)"),
                    PCRE2_ZERO_TERMINATED, 0, &error, &offset, nullptr);
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
  for (auto _ : state) {
    benchmark::DoNotOptimize(pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(page.data()),
                                         page.size(), 0, 0, match, nullptr));
  }
  pcre2_match_data_free(match);
  pcre2_code_free(code);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}

constexpr char kWorst[] = "worst";
constexpr char kTypical[] = "typical";

BENCHMARK(BM_DetectChange<kWorst>)->Apply(SizeArgs);
BENCHMARK(BM_DetectChange<kTypical>)->Apply(SizeArgs);
BENCHMARK(BM_MemchrAbsentByte<kWorst>)->Apply(SizeArgs);
BENCHMARK(BM_HasStreamMarker<kWorst>)->Apply(SizeArgs);
BENCHMARK(BM_FindPostTime<kWorst>)->Apply(SizeArgs);
BENCHMARK(BM_FindCounter<kWorst>)->Apply(SizeArgs);
BENCHMARK(BM_PlainPcre2PostTime<kWorst>)->Apply(SizeArgs);

}  // namespace

BENCHMARK_MAIN();
