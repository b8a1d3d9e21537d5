#include "tone_analysis.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orvimo::capture {

std::vector<double> SideSamples(const std::vector<uint8_t>& bytes, uint32_t bits, uint32_t channels,
                                uint32_t side) {
  const uint32_t sample_size = bits / 8;
  const uint32_t frame_size = sample_size * channels;
  std::vector<double> samples;
  for (size_t at = side * sample_size; at + sample_size <= bytes.size(); at += frame_size) {
    if (bits == 8) {
      samples.push_back((bytes[at] - 128.0) * 256.0);
    } else {
      samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8))));
    }
  }
  return samples;
}

ToneMeasurement MeasureTone(const std::vector<double>& samples, uint32_t rate) {
  ToneMeasurement tone;
  if (samples.size() < 2) {
    return tone;
  }
  const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
  double energy = 0;
  double first_crossing = -1;
  double last_crossing = -1;
  int crossings = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    const double value = samples[i] - mean;
    energy += value * value;
    tone.peak = std::max(tone.peak, std::abs(samples[i]));
    const double previous = i > 0 ? samples[i - 1] - mean : 0;
    if (i > 0 && previous < 0 && value >= 0) {
      // Where the line between the two samples crosses zero, in samples.
      const double at = (i - 1) + previous / (previous - value);
      if (first_crossing < 0) {
        first_crossing = at;
      }
      last_crossing = at;
      ++crossings;
    }
  }
  tone.amplitude = std::sqrt(2 * energy / samples.size());
  if (crossings >= 2) {
    tone.frequency = (crossings - 1) * rate / (last_crossing - first_crossing);
  }
  return tone;
}

}  // namespace orvimo::capture
