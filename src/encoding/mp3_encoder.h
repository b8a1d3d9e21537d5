#pragma once

#include <memory>

#include "encoding/encoder.h"

namespace orvimo {

// MP3 through LAME at a constant 192 kbit/s stereo (joint stereo), 128 kbit/s mono, with no Xing/LAME
// tag, so nothing is rewritten at the end. The output rate is the input's when MPEG-1 has it, else
// the next MPEG-1 rate above (48 kHz for anything beyond), which LAME resamples to: only MPEG-1 carries
// these bit rates. Frames go to the sink as LAME completes them, a few tenths of a second behind the
// audio; Finish encodes the rest.
std::unique_ptr<Encoder> MakeMp3Encoder(const SampleFormat& format, ByteSink& sink);

// The MPEG-1 rate that a stream of that input rate is written at.
int Mp3OutputRate(uint32_t inputRate);

}  // namespace orvimo
