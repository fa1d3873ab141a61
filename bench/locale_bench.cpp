// Costs of the translation layer: reading the notifier's catalog, one lookup (found and not
// found), the first lookup of a run (directory, catalog file, parse), and the build step that
// appends a catalog to an executable the size of the notifier.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "locale/catalog_directory.h"
#include "locale/catalog_record.h"
#include "locale/mo_catalog.h"
#include "locale/translator.h"

namespace {

std::vector<std::uint8_t> NotifierCatalog() {
  std::ifstream in(SLP_CATALOG_SLP, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A program of `size` bytes with its locating record, and the notifier's catalog appended.
struct Program {
  std::string folder;
  slp::CatalogPlaces places;

  explicit Program(std::size_t size) {
    std::string pattern = (std::filesystem::temp_directory_path() / "slp-bench-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    std::vector<std::uint8_t> file(size, 0x90);
    const std::string signature = slp::CatalogRecordSignature();
    std::copy(signature.begin(), signature.end(), file.begin() + static_cast<long>(size / 2));
    std::fill_n(file.begin() + static_cast<long>(size / 2 + signature.size()), 8, 0);
    std::string error;
    slp::AppendCatalog(file, NotifierCatalog(), "locale\\fr_FR\\LC_MESSAGES\\default.mo", signature,
                       error);
    places = {folder + "/", folder + "/program", file.size() - 8 - 256};
    std::ofstream(places.image, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<long>(file.size()));
  }
  ~Program() { std::filesystem::remove_all(folder); }
};

void BM_ParseCatalog(benchmark::State& state) {
  const auto bytes = NotifierCatalog();
  for (auto _ : state) benchmark::DoNotOptimize(slp::MoCatalog::Parse(bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseCatalog);

void BM_Lookup(benchmark::State& state) {
  Program program(1 << 16);
  slp::Translator t("fr_FR", program.places);
  const char* text = state.range(0) ? "Refresh the page using the interval below when checked"
                                    : "Not in the catalog at all, a text of similar length";
  for (auto _ : state) benchmark::DoNotOptimize(t.Translate(text));
}
BENCHMARK(BM_Lookup)->Arg(1)->Arg(0)->ArgName("found");

void BM_FirstLookupOfARun(benchmark::State& state) {
  Program program(8 << 20);
  for (auto _ : state) {
    slp::Translator t("fr_FR", program.places);
    benchmark::DoNotOptimize(t.Translate("&Exit"));
  }
}
BENCHMARK(BM_FirstLookupOfARun);

void BM_AppendToAnExecutable(benchmark::State& state) {
  const auto catalog = NotifierCatalog();
  const std::string signature = slp::CatalogRecordSignature();
  std::vector<std::uint8_t> program(static_cast<std::size_t>(state.range(0)), 0x90);
  std::copy(signature.begin(), signature.end(), program.end() - 4096);
  for (auto _ : state) {
    std::vector<std::uint8_t> file = program;
    std::string error;
    benchmark::DoNotOptimize(slp::AppendCatalog(file, catalog, "n", signature, error));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendToAnExecutable)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
