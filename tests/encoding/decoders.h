#pragma once

#include <cstdint>
#include <vector>

#include "encoding/file_type.h"

namespace orvimo {

// A file decoded back by the codec's own reference library.
struct DecodedAudio {
  bool ok = false;  // the decoder read the whole file without an error
  uint32_t rate = 0;
  int channels = 0;
  std::vector<int32_t> samples;  // interleaved, at the stream's own width
  uint64_t headerFrames = 0;     // FLAC: STREAMINFO's total samples
  bool headerHasMd5 = false;     // FLAC: STREAMINFO's MD5 is set (and checked at the end)

  double Seconds() const { return channels ? static_cast<double>(samples.size()) / channels / rate : 0; }
};

DecodedAudio DecodeFlac(const std::vector<uint8_t>& file);
DecodedAudio DecodeOpus(const std::vector<uint8_t>& file);  // 16-bit at 48 kHz, as libopusfile gives it
DecodedAudio DecodeMp3(const std::vector<uint8_t>& file);   // 16-bit
// The decoder of a compressed type.
DecodedAudio DecodeFile(FileType type, const std::vector<uint8_t>& file);

}  // namespace orvimo
