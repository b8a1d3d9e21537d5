#include "encoding/opus_encoder.h"

#include <opus/opusenc.h>

#include <string>
#include <vector>

#include "encoding/pcm_samples.h"

namespace orvimo {
namespace {

constexpr size_t kChunkFrames = 4096;
// In 48 kHz samples, the rate libopusenc counts in whatever the input rate.
constexpr int kDecisionDelay = 4800;
constexpr int kMuxingDelay = 9600;

class OpusEncoder final : public Encoder {
 public:
  OpusEncoder(const SampleFormat& format, ByteSink& sink)
      : format_(format), sink_(sink), samples_(kChunkFrames * format.channels) {
    const OpusEncCallbacks callbacks{&Write, &Close};
    std::unique_ptr<OggOpusComments, CommentsDeleter> comments(ope_comments_create());
    if (!comments) throw EncoderError("Opus: out of memory");
    int error = OPE_OK;
    encoder_.reset(ope_encoder_create_callbacks(
        &callbacks, this, comments.get(), static_cast<opus_int32>(format.rate), format.channels, 0, &error));
    if (!encoder_) throw EncoderError(std::string("Opus: ") + ope_strerror(error));
    CheckSetting(ope_encoder_ctl(encoder_.get(), OPUS_SET_BITRATE(OpusBitRate(format))));
    CheckSetting(ope_encoder_ctl(encoder_.get(), OPE_SET_DECISION_DELAY(kDecisionDelay)));
    CheckSetting(ope_encoder_ctl(encoder_.get(), OPE_SET_MUXING_DELAY(kMuxingDelay)));
    // The headers go out now, so even a file that gets no audio is a valid, empty stream.
    CheckSetting(ope_encoder_flush_header(encoder_.get()));
    if (failed_) throw EncoderError("Opus: the stream header could not be written");
  }

  // Abandoned unfinished: nothing more may reach the sink, which may be gone.
  ~OpusEncoder() override { failed_ = true; }

  bool Encode(const uint8_t* pcm, size_t frames) override {
    if (finished_) return false;
    const size_t frameBytes = format_.BlockAlign();
    while (frames > 0 && !failed_) {
      const size_t chunk = std::min(frames, kChunkFrames);
      ToInt16Samples(pcm, chunk * format_.channels, format_.bits, samples_.data());
      if (ope_encoder_write(encoder_.get(), samples_.data(), static_cast<int>(chunk)) != OPE_OK)
        failed_ = true;
      pcm += chunk * frameBytes;
      frames -= chunk;
    }
    return !failed_;
  }

  // Pages leave as soon as the muxing delay has passed: there is nothing to push.
  bool Flush() override { return !failed_; }

  bool Finish() override {
    if (finished_) return !failed_;
    finished_ = true;
    if (failed_) return false;
    if (ope_encoder_drain(encoder_.get()) != OPE_OK) failed_ = true;
    return !failed_;
  }

 private:
  struct EncoderDeleter {
    void operator()(OggOpusEnc* encoder) const { ope_encoder_destroy(encoder); }
  };
  struct CommentsDeleter {
    void operator()(OggOpusComments* comments) const { ope_comments_destroy(comments); }
  };

  void CheckSetting(int result) {
    if (result != OPE_OK) throw EncoderError(std::string("Opus: ") + ope_strerror(result));
  }

  static int Write(void* user, const unsigned char* data, opus_int32 size) {
    auto& self = *static_cast<OpusEncoder*>(user);
    if (self.failed_ || !self.sink_.Append(data, static_cast<size_t>(size))) {
      self.failed_ = true;
      return 1;
    }
    return 0;
  }

  // The file belongs to the sink's owner, who closes it.
  static int Close(void*) { return 0; }

  SampleFormat format_;
  ByteSink& sink_;
  std::unique_ptr<OggOpusEnc, EncoderDeleter> encoder_;
  std::vector<opus_int16> samples_;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<Encoder> MakeOpusEncoder(const SampleFormat& format, ByteSink& sink) {
  return std::make_unique<OpusEncoder>(format, sink);
}

}  // namespace orvimo
