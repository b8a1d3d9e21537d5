#include "encoding/flac_encoder.h"

#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "encoding/chunked_encoder.h"
#include "encoding/pcm_samples.h"

namespace orvimo {
namespace {

// "fLaC", the metadata block header, then STREAMINFO; its 36-bit total-samples field starts in the low
// nibble of this byte, below the last four bits of (bits per sample - 1), and runs through 4 more bytes.
constexpr uint64_t kTotalSamplesOffset = 4 + 4 + 13;
// A frame's header, its subframes' headers, the padding to a byte and its CRC, at their largest.
constexpr uint64_t kMostFrameOverhead = 32;
// The subset (what hardware players must decode) ends at this rate; beyond it a stream is still valid FLAC.
constexpr uint32_t kLargestSubsetRate = 655350;

// Level 5's 4096 samples, but never more than a quarter of a second: a frame reaches the file only
// when its block is full, and at low rates 4096 samples would hold back half a second.
uint32_t BlockSize(uint32_t rate) { return std::clamp<uint32_t>(rate / 4, 16, 4096); }

class FlacEncoder final : public ChunkedEncoder {
 public:
  FlacEncoder(const SampleFormat& format, ByteSink& sink)
      : ChunkedEncoder(format, sink),
        encoder_(FLAC__stream_encoder_new()),
        samples_(kChunkFrames * format.channels),
        blockSize_(BlockSize(format.rate)) {
    if (!encoder_) throw EncoderError("FLAC: out of memory");
    FLAC__stream_encoder_set_channels(encoder_.get(), format.channels);
    FLAC__stream_encoder_set_bits_per_sample(encoder_.get(), format.bits);
    FLAC__stream_encoder_set_sample_rate(encoder_.get(), format.rate);
    FLAC__stream_encoder_set_compression_level(encoder_.get(), 5);
    FLAC__stream_encoder_set_blocksize(encoder_.get(), blockSize_);
    FLAC__stream_encoder_set_streamable_subset(encoder_.get(), format.rate <= kLargestSubsetRate);
    const FLAC__StreamEncoderInitStatus status =
        FLAC__stream_encoder_init_stream(encoder_.get(), &Write, &Seek, &Tell, nullptr, this);
    if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
      throw EncoderError(std::string("FLAC: ") + FLAC__StreamEncoderInitStatusString[status]);
    }
    if (failed_) throw EncoderError("FLAC: the stream header could not be written");
  }

 private:
  struct EncoderDeleter {
    void operator()(FLAC__StreamEncoder* encoder) const { FLAC__stream_encoder_delete(encoder); }
  };

  bool EncodeChunk(const uint8_t* pcm, size_t frames) override {
    ToSignedSamples(pcm, frames * format_.channels, format_.bits, samples_.data());
    if (!FLAC__stream_encoder_process_interleaved(encoder_.get(), samples_.data(),
                                                  static_cast<uint32_t>(frames))) {
      return false;
    }
    framesTaken_ += frames;
    return true;
  }

  // libFLAC falls back to storing a block as it is when it cannot make it smaller, so a block never
  // takes more than its PCM plus the frame's framing. What it holds is what it took less what is on disk.
  uint64_t MostGrowth(uint64_t frames) const override {
    const uint64_t pending = framesTaken_ - framesInSink_ + frames;
    const uint64_t blocks = (pending + blockSize_ - 1) / blockSize_;
    return pending * format_.BlockAlign() + blocks * kMostFrameOverhead;
  }

  bool FlushStream() override {
    const uint64_t total = framesInSink_;
    const std::array<uint8_t, 5> field{
        static_cast<uint8_t>(((format_.bits - 1) & 0x0F) << 4 | (total >> 32 & 0x0F)),
        static_cast<uint8_t>(total >> 24), static_cast<uint8_t>(total >> 16),
        static_cast<uint8_t>(total >> 8), static_cast<uint8_t>(total)};
    return sink_.WriteAt(kTotalSamplesOffset, field.data(), field.size());
  }

  // libFLAC encodes the last partial block, then seeks back and rewrites STREAMINFO with the lengths
  // and the MD5 sum.
  bool FinishStream() override { return FLAC__stream_encoder_finish(encoder_.get()); }

  static FlacEncoder& Of(void* client) { return *static_cast<FlacEncoder*>(client); }

  static FLAC__StreamEncoderWriteStatus Write(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                              size_t bytes, uint32_t samples, uint32_t /*frame*/,
                                              void* client) {
    FlacEncoder& self = Of(client);
    if (self.failed_) return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    const bool appending = self.position_ == self.sink_.Size();
    if (!(appending ? self.sink_.Append(buffer, bytes) : self.sink_.WriteAt(self.position_, buffer, bytes))) {
      self.failed_ = true;
      return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    }
    self.position_ += bytes;
    // Frames are always appended, each one whole.
    if (appending) self.framesInSink_ += samples;
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
  }

  static FLAC__StreamEncoderSeekStatus Seek(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* client) {
    if (Of(client).failed_) return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    Of(client).position_ = offset;
    return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
  }

  static FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* client) {
    *offset = Of(client).position_;
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
  }

  std::unique_ptr<FLAC__StreamEncoder, EncoderDeleter> encoder_;
  std::vector<FLAC__int32> samples_;
  const uint32_t blockSize_;
  uint64_t position_ = 0;  // where libFLAC's next write goes
  uint64_t framesTaken_ = 0;
  uint64_t framesInSink_ = 0;
};

}  // namespace

std::unique_ptr<Encoder> MakeFlacEncoder(const SampleFormat& format, ByteSink& sink) {
  return std::make_unique<FlacEncoder>(format, sink);
}

}  // namespace orvimo
