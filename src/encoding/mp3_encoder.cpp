#include "encoding/mp3_encoder.h"

#include <lame/lame.h>

#include <string>
#include <vector>

#include "encoding/pcm_samples.h"

namespace orvimo {
namespace {

constexpr size_t kChunkFrames = 4096;
// LAME's own bound for one call's output: 1.25 bytes per input frame plus 7200.
constexpr size_t kOutputBytes = kChunkFrames * 5 / 4 + 7200;

class Mp3Encoder final : public Encoder {
 public:
  Mp3Encoder(const SampleFormat& format, ByteSink& sink)
      : format_(format),
        sink_(sink),
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

  bool Encode(const uint8_t* pcm, size_t frames) override {
    if (finished_) return false;
    const size_t frameBytes = format_.BlockAlign();
    while (frames > 0 && !failed_) {
      const size_t chunk = std::min(frames, kChunkFrames);
      ToInt16Samples(pcm, chunk * format_.channels, format_.bits, samples_.data());
      const int count = static_cast<int>(chunk);
      const int size = static_cast<int>(output_.size());
      Deliver(
          format_.channels == 1
              ? lame_encode_buffer(lame_.get(), samples_.data(), samples_.data(), count, output_.data(), size)
              : lame_encode_buffer_interleaved(lame_.get(), samples_.data(), count, output_.data(), size));
      pcm += chunk * frameBytes;
      frames -= chunk;
    }
    return !failed_;
  }

  // Every complete frame went out with the Encode that completed it.
  bool Flush() override { return !failed_; }

  bool Finish() override {
    if (finished_) return !failed_;
    finished_ = true;
    if (!failed_) Deliver(lame_encode_flush(lame_.get(), output_.data(), static_cast<int>(output_.size())));
    return !failed_;
  }

 private:
  struct LameDeleter {
    void operator()(lame_global_flags* lame) const { lame_close(lame); }
  };

  // The bytes LAME produced, or its negative error code.
  void Deliver(int bytes) {
    if (bytes < 0 || (bytes > 0 && !sink_.Append(output_.data(), static_cast<size_t>(bytes)))) failed_ = true;
  }

  SampleFormat format_;
  ByteSink& sink_;
  std::unique_ptr<lame_global_flags, LameDeleter> lame_;
  std::vector<short> samples_;
  std::vector<unsigned char> output_;
  bool failed_ = false;
  bool finished_ = false;
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
