#include "app/console_report.h"

#include <algorithm>
#include <cmath>

#include "monitor/size_text.h"

namespace orvimo {

namespace {

constexpr int kBarWidth = 10;
constexpr double kFullScale = 32768.0;

std::string LevelBar(uint32_t level) {
  const int filled = std::min(kBarWidth, static_cast<int>(std::lround(level / kFullScale * kBarWidth)));
  return "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "]";
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ProgressLine(const ConsoleStatus& status) {
  std::string line = status.state;
  if (!status.fileName.empty()) line += "  " + BaseName(status.fileName);
  line += "  " + FormatCompactDuration(status.recordedBytes, status.bytesPerSecond);
  line += "  free " + (status.freeBytes < 0 ? std::string("unknown")
                                            : FormatCompactDuration(status.freeBytes, status.bytesPerSecond));
  line += "  L" + LevelBar(status.level & 0xFFFF) + " R" + LevelBar(status.level >> 16);
  if (!status.dropouts.empty()) line += "  " + status.dropouts;
  return line;
}

std::vector<std::string> EventLines(const ConsoleStatus& before, const ConsoleStatus& now) {
  std::vector<std::string> lines;
  if (before.recording && !now.recording) {
    std::string stopped = "stopped " + before.fileName + ": " +
                          FormatCompactDuration(now.recordedBytes, now.bytesPerSecond) + " recorded";
    if (!now.dropouts.empty()) stopped += ", " + now.dropouts;
    lines.push_back(stopped);
  }
  if (now.recording && !before.recording) lines.push_back("started " + now.fileName);
  if (now.recording && before.recording && now.fileName != before.fileName) {
    lines.push_back("next file " + now.fileName);
  }
  if (now.recording && now.paused != (before.recording && before.paused)) {
    lines.push_back(now.paused ? "paused" : "resumed");
  }
  if (!now.recording && now.waiting && (!before.waiting || before.state != now.state)) {
    lines.push_back(now.state);
  }
  return lines;
}

}  // namespace orvimo
