#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvimo {

// What the program shows on a console when it records without a window, read once a second.
struct ConsoleStatus {
  std::string state;     // the status line: "Recording audio", "PAUSED", "Waiting to record at ..."
  std::string fileName;  // the file being written, or the last one
  bool recording = false;
  bool paused = false;
  bool waiting = false;  // a scheduled start is armed
  int64_t recordedBytes = 0;
  int64_t freeBytes = -1;  // -1: unknown
  int64_t bytesPerSecond = 0;
  uint32_t level = 0;    // peak since the last look: left in the low 16 bits, right in the high 16
  std::string dropouts;  // "2 dropouts (about 20 ms lost)", empty for none

  bool operator==(const ConsoleStatus&) const = default;
};

// The one line a terminal shows and rewrites each second:
// "Recording audio  take.wav  00:00:06  free 212:13:05  L[#####-----] R[####------]  1 dropout".
std::string ProgressLine(const ConsoleStatus& status);

// What happened between two looks, one line each, for a log that is not a terminal: "started <file>",
// "next file <file>", "paused", "resumed", "stopped <file>: 00:00:06 recorded", "Waiting to record at ...".
std::vector<std::string> EventLines(const ConsoleStatus& before, const ConsoleStatus& now);

}  // namespace orvimo
