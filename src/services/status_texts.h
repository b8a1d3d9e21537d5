#pragma once

#include <cstdint>
#include <string>

namespace orvimo {

// The window's caption, also the status line's text until the first message.
inline constexpr const char* kWindowCaption = "Orvimo 2.0";
inline constexpr const char* kRecordingAudio = "Recording audio";
inline constexpr const char* kPausedText = "PAUSED";
inline constexpr const char* kRecordingStopped = "Recording stopped.";
inline constexpr const char* kAudioInitError = "Error initializing audio!";
inline constexpr const char* kDeviceLost = "Recording device lost!";
// The status line after a refused write; its hint and the error box say which file and why.
inline constexpr const char* kCannotWrite = "Cannot write";
inline constexpr const char* kUnknownFreeSpace = "unknown";

// Below this many free bytes a running recording is paused.
inline constexpr int64_t kDiskReserveBytes = 102400;

// "Recording was paused due to\n\rinsufficient disk space. (99 KBytes left.)"
std::string DiskFullWarning(int64_t freeBytes);

// Data rate of the selected format: channels x rate x bytes per sample, formed in 32 bits (it wraps
// as the 32-bit product does) and widened.
int64_t BytesPerSecondOf(int channelsIndex, int sampleRate, int bitsIndex);

// How long that much audio plays: "40 ms" below a second, "29.4 s" from there on; a loss never reads
// as none ("1 ms").
std::string LostAudioText(uint64_t bytesLost, int64_t bytesPerSecond);

// "3 dropouts (about 40 ms lost)", "1 dropout" when the amount is unknown; empty for none.
std::string DropoutText(uint64_t count, uint64_t bytesLost, int64_t bytesPerSecond);

}  // namespace orvimo
