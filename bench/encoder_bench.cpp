// One minute of the tests' signal (a tone per channel plus 1 % noise) through each encoder, fed in the
// pieces a capture delivers and flushed every half second as the writer does. The CPU time of one
// iteration is the encoder's CPU per recorded minute, for comparison with the command-line encoders of
// the same libraries (flac, opusenc, lame); file_bytes is the size of that minute's file.
#include <benchmark/benchmark.h>

#include "encoding/encoder.h"
#include "memory_sink.h"
#include "test_signal.h"

namespace orvimo {
namespace {

void EncodeOneMinute(benchmark::State& state, FileType type, const SampleFormat& format) {
  const std::vector<uint8_t> pcm = MakeTestSignal(format, 60.0);
  const size_t totalFrames = pcm.size() / format.BlockAlign();
  const size_t piece = format.rate / 50;  // 20 ms, a typical capture period
  const size_t flushEvery = format.rate / 2;
  uint64_t fileBytes = 0;
  for (auto _ : state) {
    MemorySink sink;
    auto encoder = MakeEncoder(type, format, sink);
    size_t sinceFlush = 0;
    for (size_t frame = 0; frame < totalFrames; frame += piece) {
      const size_t frames = std::min(piece, totalFrames - frame);
      encoder->Encode(pcm.data() + frame * format.BlockAlign(), frames);
      if ((sinceFlush += frames) >= flushEvery) {
        encoder->Flush();
        sinceFlush = 0;
      }
    }
    encoder->Finish();
    fileBytes = sink.Size();
  }
  state.counters["file_bytes"] = static_cast<double>(fileBytes);
}

constexpr SampleFormat kCd{44100, 2, 16};
constexpr SampleFormat kVoice{22050, 1, 16};

BENCHMARK_CAPTURE(EncodeOneMinute, flac_cd, FileType::Flac, kCd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOneMinute, opus_cd, FileType::Opus, kCd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOneMinute, mp3_cd, FileType::Mp3, kCd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOneMinute, flac_voice, FileType::Flac, kVoice)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOneMinute, opus_voice, FileType::Opus, kVoice)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOneMinute, mp3_voice, FileType::Mp3, kVoice)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvimo
