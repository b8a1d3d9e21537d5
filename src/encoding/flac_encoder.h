#pragma once

#include <memory>

#include "encoding/encoder.h"

namespace orvimo {

// FLAC at compression level 5. Frames go to the sink as libFLAC finishes them (one block, about 0.1 s
// at 44.1 kHz); each Flush writes the frame count now in the file into the header's total-samples
// field, so readers that trust it see the length after a crash. The MD5 field stays 0 (unknown) until
// Finish, where libFLAC writes it with the final lengths.
std::unique_ptr<Encoder> MakeFlacEncoder(const SampleFormat& format, ByteSink& sink);

}  // namespace orvimo
