// The button repaints on every mouse move over it and the meter 50 times a second: both must stay
// far below a millisecond.
#include <benchmark/benchmark.h>

#include "controls/record_glyph.h"
#include "controls/tambor_button_core.h"

namespace orvimo {
namespace {

void BM_RecordButtonFullPaint(benchmark::State& state) {
  const TBitmap32 glyph = MakeRecordButtonGlyph();
  TamborButtonCore button;
  button.SetSize(42, 40);
  button.SetColorDown(12);
  button.SetRounded(false);
  button.SetGlyph(&glyph);
  button.SetNumGlyphs(2);
  button.SetImageIndex_Hover(1);
  button.SetImageIndex_Pressed(1);
  if (state.range(0) == 1) button.MouseEnter();
  TBitmap32 buffer(42, 40);
  for (auto _ : state) {
    buffer.Clear(0xFFC0C0C0);  // the parent's backdrop
    button.Paint(buffer, nullptr);
    benchmark::DoNotOptimize(buffer.Bits());
  }
}
BENCHMARK(BM_RecordButtonFullPaint)->Arg(0)->Arg(1)->ArgName("hovered");

void BM_LevelMeterFrame(benchmark::State& state) {
  TBitmap32 buffer(229, 8);
  const int width = buffer.Width() - 2;
  int level = 0;
  for (auto _ : state) {
    level = (level + 997) % 32768;
    buffer.Clear(0xFF000000);
    const int left = int(level / 32768.0 * width), right = int((32768 - level) / 32768.0 * width);
    buffer.FillRectPlain({0, 0, left, 4}, 0xFFFFBB1B);
    buffer.FillRectPlain({0, 4, right, 8}, 0xFFFFBB1B);
    benchmark::DoNotOptimize(buffer.Bits());
  }
}
BENCHMARK(BM_LevelMeterFrame);

}  // namespace
}  // namespace orvimo

BENCHMARK_MAIN();
