#pragma once

#include <memory>

#include "encoding/encoder.h"

namespace orvimo {

// Ogg Opus through libopusenc at a fixed 96 kbit/s stereo, 64 kbit/s mono, from any input rate (the
// library resamples to 48 kHz). Its decision and muxing delays are cut to a tenth and a fifth of a
// second, so Ogg pages reach the sink within about 0.35 s of their audio without any flush; Finish writes
// the rest and the end of the stream.
std::unique_ptr<Encoder> MakeOpusEncoder(const SampleFormat& format, ByteSink& sink);

}  // namespace orvimo
