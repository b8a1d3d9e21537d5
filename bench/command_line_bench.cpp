#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cmdline/cl_parser.h"

namespace orvimo {
namespace {

std::string Repeat(const std::string& piece, std::size_t length) {
  std::string text;
  while (text.size() + piece.size() <= length) text += piece;
  return text;
}

void Split(benchmark::State& state, const std::string& line) {
  std::vector<std::string> list;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SplitCommandLine(line, list));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}

void BM_SplitTypical(benchmark::State& state) {
  Split(state, R"("C:\Program Files\Orvimo\orvimo.exe" -b 16 -c 2 -f 44100 -s 2026-12-24 20:00 )"
               R"(-m 90 minutes -a shutdown "D:\rec\Show [yyyy-mm-dd].wav")");
}
void BM_SplitManyOptions10k(benchmark::State& state) { Split(state, "rec.exe " + Repeat("-b 8 ", 10000)); }
void BM_SplitDashes10k(benchmark::State& state) { Split(state, "rec.exe " + Repeat("- ", 10000)); }
void BM_SplitOneLongValue10k(benchmark::State& state) { Split(state, "rec.exe -m " + Repeat("a b ", 10000)); }
void BM_SplitQuotes10k(benchmark::State& state) { Split(state, "rec.exe " + Repeat("\" /x ", 10000)); }

BENCHMARK(BM_SplitTypical);
BENCHMARK(BM_SplitManyOptions10k);
BENCHMARK(BM_SplitDashes10k);
BENCHMARK(BM_SplitOneLongValue10k);
BENCHMARK(BM_SplitQuotes10k);

}  // namespace
}  // namespace orvimo
