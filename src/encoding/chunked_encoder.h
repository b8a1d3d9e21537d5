#pragma once

#include <algorithm>

#include "encoding/encoder.h"

namespace orvimo {

// What the codecs' encoders share: input cut into pieces the codec buffers hold, and the rule that
// once a write or the codec has failed (or the stream is finished) nothing more is written.
class ChunkedEncoder : public Encoder {
 public:
  bool Encode(const uint8_t* pcm, size_t frames) final {
    if (finished_) return false;
    while (frames > 0 && !failed_) {
      const size_t chunk = std::min(frames, kChunkFrames);
      if (!EncodeChunk(pcm, chunk)) failed_ = true;
      pcm += chunk * format_.BlockAlign();
      frames -= chunk;
    }
    return !failed_;
  }

  bool Flush() final {
    if (!failed_ && !finished_ && !FlushStream()) failed_ = true;
    return !failed_;
  }

  bool Finish() final {
    if (finished_) return !failed_;
    finished_ = true;
    if (!failed_ && !FinishStream()) failed_ = true;
    return !failed_;
  }

 protected:
  static constexpr size_t kChunkFrames = 4096;

  ChunkedEncoder(const SampleFormat& format, ByteSink& sink) : format_(format), sink_(sink) {}

  // At most kChunkFrames frames.
  virtual bool EncodeChunk(const uint8_t* pcm, size_t frames) = 0;
  virtual bool FlushStream() { return true; }
  virtual bool FinishStream() = 0;

  const SampleFormat format_;
  ByteSink& sink_;
  // Set by the codecs' write callbacks too.
  bool failed_ = false;

 private:
  bool finished_ = false;
};

}  // namespace orvimo
