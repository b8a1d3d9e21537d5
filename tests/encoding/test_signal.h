#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "base/sample_format.h"

namespace orvimo {

// The tones of the test signal, one per channel so that a swapped or mixed channel shows.
inline constexpr double kToneHz[] = {440.0, 660.0};
inline constexpr double kToneAmplitude[] = {0.5, 0.3};  // of full scale

// PCM of the format: on each channel its tone plus noise at 1 % of full scale, from a fixed seed.
inline std::vector<uint8_t> MakeTestSignal(const SampleFormat& format, double seconds) {
  const size_t frames = static_cast<size_t>(seconds * format.rate);
  std::vector<uint8_t> pcm;
  pcm.reserve(frames * format.BlockAlign());
  uint32_t noise = 12345;
  for (size_t frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < format.channels; ++channel) {
      noise = noise * 1664525u + 1013904223u;
      const double value =
          kToneAmplitude[channel] * std::sin(2 * std::numbers::pi * kToneHz[channel] * frame / format.rate) +
          0.01 * (static_cast<double>(noise >> 8) / (1 << 23) - 1.0);
      const auto sample = static_cast<int>(std::lround(value * 32767.0));
      if (format.bits == 8) {
        pcm.push_back(static_cast<uint8_t>(128 + sample / 256));
      } else {
        pcm.push_back(static_cast<uint8_t>(sample & 0xFF));
        pcm.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
      }
    }
  }
  return pcm;
}

}  // namespace orvimo
