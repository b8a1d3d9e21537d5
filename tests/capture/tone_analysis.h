#pragma once

#include <cstdint>
#include <vector>

namespace orvimo::capture {

// Samples of one side of captured PCM, on the 16-bit scale (8-bit samples centred and times 256).
std::vector<double> SideSamples(const std::vector<uint8_t>& bytes, uint32_t bits, uint32_t channels,
                                uint32_t side);

struct ToneMeasurement {
  double frequency = 0;  // Hz, from the rising zero crossings
  double amplitude = 0;  // of the sine, from its RMS, so it does not depend on where samples fall
  double peak = 0;       // the largest sample magnitude
};

ToneMeasurement MeasureTone(const std::vector<double>& samples, uint32_t rate);

}  // namespace orvimo::capture
