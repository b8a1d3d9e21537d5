#include "encoding/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <string>
#include <vector>

#include "encoding/chunked_encoder.h"
#include "encoding/pcm_samples.h"

namespace orvimo {
namespace {

class Mp3Encoder final : public ChunkedEncoder {
 public:
  Mp3Encoder(const SampleFormat& format, ByteSink& sink)
      : ChunkedEncoder(format, sink),
        lame_(lame_init()),
        samples_(kChunkFrames * format.channels),
        output_(kOutputBytes) {
    if (!lame_) throw EncoderError("MP3: out of memory");
    lame_set_in_samplerate(lame_.get(), static_cast<int>(format.rate));
    lame_set_out_samplerate(lame_.get(), Mp3OutputRate(format.rate));
    lame_set_num_channels(lame_.get(), format.channels);
    lame_set_mode(lame_.get(), format.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame_.get(), vbr_off);
    lame_set_brate(lame_.get(), Mp3BitRate(format) / 1000);
    lame_set_bWriteVbrTag(lame_.get(), 0);
    if (lame_init_params(lame_.get()) < 0) {
      throw EncoderError("MP3: LAME cannot encode " + std::to_string(format.rate) + " Hz");
    }
  }

 private:
  // LAME's own bound for one call's output: 1.25 bytes per input frame plus 7200.
  static constexpr size_t kOutputBytes = kChunkFrames * 5 / 4 + 7200;
  static constexpr uint64_t kSamplesPerFrame = 1152;

  struct LameDeleter {
    void operator()(lame_global_flags* lame) const { lame_close(lame); }
  };

  // Every frame of a CBR stream has the same size, one byte more when padded. Beyond the samples
  // LAME holds, the end adds its delay and fills the last frame, and the bit reservoir may hold one
  // more frame back: three frames at most.
  uint64_t MostGrowth(uint64_t frames) const override {
    const uint64_t outputRate = static_cast<uint64_t>(Mp3OutputRate(format_.rate));
    const uint64_t samples = (frames * outputRate + format_.rate - 1) / format_.rate +
                             static_cast<uint64_t>(std::max(lame_get_mf_samples_to_encode(lame_.get()), 0));
    const uint64_t frameBytes = 144 * static_cast<uint64_t>(Mp3BitRate(format_)) / outputRate + 1;
    return ((samples + kSamplesPerFrame - 1) / kSamplesPerFrame + 3) * frameBytes;
  }

  // Every complete frame goes out with the call that completed it: a flush has nothing to push.
  bool EncodeChunk(const uint8_t* pcm, size_t frames) override {
    ToInt16Samples(pcm, frames * format_.channels, format_.bits, samples_.data());
    const int count = static_cast<int>(frames);
    const int size = static_cast<int>(output_.size());
    return Deliver(
        format_.channels == 1
            ? lame_encode_buffer(lame_.get(), samples_.data(), samples_.data(), count, output_.data(), size)
            : lame_encode_buffer_interleaved(lame_.get(), samples_.data(), count, output_.data(), size));
  }

  bool FinishStream() override {
    return Deliver(lame_encode_flush(lame_.get(), output_.data(), static_cast<int>(output_.size())));
  }

  // The bytes LAME produced, or its negative error code.
  bool Deliver(int bytes) {
    return bytes == 0 || (bytes > 0 && sink_.Append(output_.data(), static_cast<size_t>(bytes)));
  }

  std::unique_ptr<lame_global_flags, LameDeleter> lame_;
  std::vector<short> samples_;
  std::vector<unsigned char> output_;
};

}  // namespace

int Mp3OutputRate(uint32_t inputRate) {
  for (const int rate : {32000, 44100}) {
    if (inputRate <= static_cast<uint32_t>(rate)) return rate;
  }
  return 48000;
}

std::unique_ptr<Encoder> MakeMp3Encoder(const SampleFormat& format, ByteSink& sink) {
  return std::make_unique<Mp3Encoder>(format, sink);
}

}  // namespace orvimo
