// What the capture thread spends on each buffer before and around the program's callback: measuring
// the peaks and handing the buffer over. The callback itself does nothing here.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "capture/record_channel.h"

namespace orvimo::capture {
namespace {

bool Accept(uint32_t /*channel*/, const void* buffer, uint32_t length, void* /*user*/) {
  benchmark::DoNotOptimize(buffer);
  benchmark::DoNotOptimize(length);
  return true;
}

std::vector<uint8_t> NoiseBuffer(size_t size) {
  std::vector<uint8_t> bytes(size);
  uint32_t state = 1;
  for (auto& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}

// One 20 ms buffer at 44100 Hz in the given layout.
void HandOverOneBuffer(benchmark::State& state, SampleFormat format) {
  const auto buffer = NoiseBuffer(format.rate / 50 * format.BlockAlign());
  RecordChannel channel(1, format, Accept, nullptr);
  for (auto _ : state) {
    channel.HandOver(buffer.data(), static_cast<uint32_t>(buffer.size()));
  }
  benchmark::DoNotOptimize(channel.TakeLevel());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
  state.counters["buffer_bytes"] = static_cast<double>(buffer.size());
}

void BM_HandOver_Stereo16(benchmark::State& state) { HandOverOneBuffer(state, SampleFormat{44100, 2, 16}); }
void BM_HandOver_Mono8(benchmark::State& state) { HandOverOneBuffer(state, SampleFormat{44100, 1, 8}); }

BENCHMARK(BM_HandOver_Stereo16);
BENCHMARK(BM_HandOver_Mono8);

}  // namespace
}  // namespace orvimo::capture

BENCHMARK_MAIN();
