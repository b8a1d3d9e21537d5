#pragma once

#include <cstddef>
#include <cstdint>

namespace orvimo {

// The signed value of each PCM sample, at its own width: 8-bit samples are stored unsigned (128 is
// silence), 16-bit ones signed little-endian. The codec libraries all want signed samples.
template <typename Sample>
void ToSignedSamples(const uint8_t* pcm, size_t samples, uint16_t bits, Sample* out) {
  if (bits == 8) {
    for (size_t i = 0; i < samples; ++i) out[i] = static_cast<Sample>(static_cast<int>(pcm[i]) - 128);
    return;
  }
  for (size_t i = 0; i < samples; ++i) {
    out[i] = static_cast<Sample>(static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8));
  }
}

// Each sample scaled to 16 bits, for the codecs that take only 16-bit input.
inline void ToInt16Samples(const uint8_t* pcm, size_t samples, uint16_t bits, int16_t* out) {
  ToSignedSamples(pcm, samples, bits, out);
  if (bits == 8) {
    for (size_t i = 0; i < samples; ++i) out[i] = static_cast<int16_t>(out[i] * 256);
  }
}

}  // namespace orvimo
