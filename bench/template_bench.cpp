#include <benchmark/benchmark.h>

#include <string>

#include "recording/file_name_template.h"

namespace orvimo {
namespace {

TDateTime FixedNow() {
  static const TDateTime now = EncodeDateTime(2026, 12, 6, 22, 9, 38, 0);
  return now;
}

std::string Repeat(const std::string& piece, std::size_t length) {
  std::string text;
  while (text.size() + piece.size() <= length) text += piece;
  return text;
}

void Expand(benchmark::State& state, const std::string& templ) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseFileNameTemplate(templ, 7, FixedNow));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * templ.size()));
}

void BM_TemplateTypical(benchmark::State& state) {
  Expand(state, R"(D:\rec\Show_[yyyy-mm-dd]_[hh-nn-ss]_[i].wav)");
}
void BM_TemplateOpenBrackets10k(benchmark::State& state) { Expand(state, std::string(10000, '[')); }
void BM_TemplateCloseBrackets10k(benchmark::State& state) { Expand(state, std::string(10000, ']')); }
void BM_TemplateEmptyGroups10k(benchmark::State& state) { Expand(state, Repeat("[]", 10000)); }
void BM_TemplateDayGroups10k(benchmark::State& state) { Expand(state, Repeat("[d]", 10000)); }
void BM_TemplateWidePads10k(benchmark::State& state) { Expand(state, Repeat("[4096d]", 10000)); }
// Each result brings a "[" back into the text, which then has to be scanned again.
void BM_TemplateQuotedBrackets10k(benchmark::State& state) { Expand(state, Repeat("['[']", 10000)); }

BENCHMARK(BM_TemplateTypical);
BENCHMARK(BM_TemplateOpenBrackets10k);
BENCHMARK(BM_TemplateCloseBrackets10k);
BENCHMARK(BM_TemplateEmptyGroups10k);
BENCHMARK(BM_TemplateDayGroups10k);
BENCHMARK(BM_TemplateWidePads10k);
BENCHMARK(BM_TemplateQuotedBrackets10k);

}  // namespace
}  // namespace orvimo
