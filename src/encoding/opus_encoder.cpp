#include "encoding/opus_encoder.h"

#include <opus/opusenc.h>

#include <string>
#include <vector>

#include "encoding/chunked_encoder.h"
#include "encoding/pcm_samples.h"

namespace orvimo {
namespace {

// In 48 kHz samples, the rate libopusenc counts in whatever the input rate.
constexpr int kDecisionDelay = 4800;
constexpr int kMuxingDelay = 9600;
// The audio libopusenc may hold: both delays, a frame being filled, the resampler's history and the
// last frame's padding, less than 0.4 s; and the end of stream's own page.
constexpr uint64_t kMostHeldMilliseconds = 400;
constexpr uint64_t kMostEndBytes = 4096;

class OpusStreamEncoder final : public ChunkedEncoder {
 public:
  OpusStreamEncoder(const SampleFormat& format, ByteSink& sink)
      : ChunkedEncoder(format, sink), samples_(kChunkFrames * format.channels) {
    const OpusEncCallbacks callbacks{&Write, &Close};
    std::unique_ptr<OggOpusComments, CommentsDeleter> comments(ope_comments_create());
    if (!comments) throw EncoderError("Opus: out of memory");
    int error = OPE_OK;
    encoder_.reset(ope_encoder_create_callbacks(
        &callbacks, this, comments.get(), static_cast<opus_int32>(format.rate), format.channels, 0, &error));
    if (!encoder_) throw EncoderError(std::string("Opus: ") + ope_strerror(error));
    CheckSetting(ope_encoder_ctl(encoder_.get(), OPUS_SET_BITRATE(OpusBitRate(format))));
    // Constant packets: the file grows at the bit rate, so the free time is exact and a size limit is
    // met closely.
    CheckSetting(ope_encoder_ctl(encoder_.get(), OPUS_SET_VBR(0)));
    CheckSetting(ope_encoder_ctl(encoder_.get(), OPE_SET_DECISION_DELAY(kDecisionDelay)));
    CheckSetting(ope_encoder_ctl(encoder_.get(), OPE_SET_MUXING_DELAY(kMuxingDelay)));
    // The headers go out now, so even a file that gets no audio is a valid, empty stream.
    CheckSetting(ope_encoder_flush_header(encoder_.get()));
  }

 private:
  struct EncoderDeleter {
    void operator()(OggOpusEnc* encoder) const { ope_encoder_destroy(encoder); }
  };
  struct CommentsDeleter {
    void operator()(OggOpusComments* comments) const { ope_comments_destroy(comments); }
  };

  static void CheckSetting(int result) {
    if (result != OPE_OK) throw EncoderError(std::string("Opus: ") + ope_strerror(result));
  }

  bool EncodeChunk(const uint8_t* pcm, size_t frames) override {
    ToInt16Samples(pcm, frames * format_.channels, format_.bits, samples_.data());
    return ope_encoder_write(encoder_.get(), samples_.data(), static_cast<int>(frames)) == OPE_OK;
  }

  // The packets are of the bit rate's size. On top: a page header with its lacing values for each 20 ms
  // packet, and a quarter more for whatever the codec rounds up.
  uint64_t MostGrowth(uint64_t frames) const override {
    const uint64_t mostBytesPerSecond = static_cast<uint64_t>(OpusBitRate(format_)) / 8 * 5 / 4 + 50 * 32;
    const uint64_t heldFrames = uint64_t{format_.rate} * kMostHeldMilliseconds / 1000;
    return (frames + heldFrames) * mostBytesPerSecond / format_.rate + 1 + kMostEndBytes;
  }

  // Pages leave as soon as the muxing delay has passed, so a flush has nothing to push.
  bool FinishStream() override { return ope_encoder_drain(encoder_.get()) == OPE_OK; }

  static int Write(void* user, const unsigned char* data, opus_int32 size) {
    auto& self = *static_cast<OpusStreamEncoder*>(user);
    if (self.failed_ || !self.sink_.Append(data, static_cast<size_t>(size))) {
      self.failed_ = true;
      return 1;
    }
    return 0;
  }

  // The file belongs to the sink's owner, who closes it.
  static int Close(void*) { return 0; }

  std::unique_ptr<OggOpusEnc, EncoderDeleter> encoder_;
  std::vector<opus_int16> samples_;
};

}  // namespace

std::unique_ptr<Encoder> MakeOpusEncoder(const SampleFormat& format, ByteSink& sink) {
  return std::make_unique<OpusStreamEncoder>(format, sink);
}

}  // namespace orvimo
