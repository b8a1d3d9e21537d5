#pragma once

#include <cstdint>

namespace orvimo {

// The layout of PCM audio: what the window offers, what a capture channel delivers and what a WAV
// header describes. Block align and bytes per second are derived here and nowhere else.
struct SampleFormat {
  uint32_t rate = 44100;
  uint16_t channels = 2;
  uint16_t bits = 16;  // 8: unsigned samples; 16: signed little-endian

  // Bytes of one sample frame (one sample of every channel).
  uint32_t BlockAlign() const { return static_cast<uint32_t>(channels) * bits / 8; }
  // 64 bits: any rate a spin box accepts times the largest frame fits without wrapping.
  int64_t BytesPerSecond() const { return static_cast<int64_t>(BlockAlign()) * rate; }

  bool operator==(const SampleFormat&) const = default;
};

// The format of the monitor channel that keeps the meter moving while nothing is recorded.
inline constexpr SampleFormat kMonitorFormat{44100, 2, 16};

}  // namespace orvimo
