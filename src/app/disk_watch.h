// How often a running recording looks at the disk between two status ticks while nothing of the window
// is shown, and when it need not look at all.
#pragma once

#include <chrono>
#include <cstdint>

namespace orvimo {

// The status tick queries the free space once a second. Between ticks only the recording itself can
// use up what is left, and it can write at most a status tick's worth plus one large delivery before
// the next tick looks: while its next look at the disk (bytesToNextCheck away) is further than a few
// seconds of audio, nothing needs to watch between ticks. A rate that is not positive tells nothing,
// so the disk is watched then.
bool DiskWatchNeeded(int64_t bytesToNextCheck, int64_t bytesPerSecond);

// When it is needed and nobody looks at the meter, the meter's tick watches often enough that the
// recording writes at most a quarter of the disk reserve between two looks: 145 ms at 44.1 kHz stereo
// 16-bit, never slower than 250 ms nor faster than 20 ms.
std::chrono::milliseconds DiskWatchInterval(int64_t bytesPerSecond);

}  // namespace orvimo
