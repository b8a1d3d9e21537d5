// The console's progress line and event lines for a recording made without a window.
#include "app/console_report.h"

#include <gtest/gtest.h>

namespace orvimo {
namespace {

constexpr int64_t kCd = 176400;  // bytes per second of 44100 Hz stereo 16-bit

ConsoleStatus Recording(std::string file, int64_t seconds) {
  ConsoleStatus status;
  status.state = "Recording audio";
  status.fileName = std::move(file);
  status.recording = true;
  status.recordedBytes = seconds * kCd;
  status.freeBytes = 212 * 3600 * kCd + 13 * 60 * kCd + 5 * kCd;
  status.bytesPerSecond = kCd;
  return status;
}

ConsoleStatus With(ConsoleStatus status, void (*change)(ConsoleStatus&)) {
  change(status);
  return status;
}

TEST(ConsoleReport, ProgressLineAndEventsFollowTheRecording) {
  const ConsoleStatus idle = With({}, [](ConsoleStatus& s) {
    s.state = "Ready";
    s.bytesPerSecond = kCd;
  });
  const ConsoleStatus take = Recording("/rec/take.wav", 6);
  const ConsoleStatus loud = With(take, [](ConsoleStatus& s) {
    s.level = 32768u << 16 | 16384u;
    s.dropouts = "2 dropouts (about 20 ms lost)";
  });
  const ConsoleStatus paused = With(take, [](ConsoleStatus& s) {
    s.paused = true;
    s.state = "PAUSED";
  });
  const ConsoleStatus stopped = With(take, [](ConsoleStatus& s) {
    s.recording = false;
    s.state = "Recording stopped.";
    s.freeBytes = -1;
  });
  const ConsoleStatus waiting = With(idle, [](ConsoleStatus& s) {
    s.waiting = true;
    s.state = "Waiting to record at 12/7/2026 6:00:00 AM";
  });
  const ConsoleStatus noRate = With(take, [](ConsoleStatus& s) { s.bytesPerSecond = 0; });
  struct Case {
    ConsoleStatus before, now;
    std::string progress;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {idle,
       take,
       "Recording audio  take.wav  00:00:06  free 212:13:05  L[----------] R[----------]",
       {"started /rec/take.wav"}},
      {take,
       loud,
       "Recording audio  take.wav  00:00:06  free 212:13:05  L[#####-----] R[##########]  2 dropouts (about "
       "20 "
       "ms lost)",
       {}},
      {take,
       Recording("/rec/take(2).wav", 0),
       "Recording audio  take(2).wav  00:00:00  free 212:13:05  L[----------] R[----------]",
       {"next file /rec/take(2).wav"}},
      {take, paused, "PAUSED  take.wav  00:00:06  free 212:13:05  L[----------] R[----------]", {"paused"}},
      {paused,
       take,
       "Recording audio  take.wav  00:00:06  free 212:13:05  L[----------] R[----------]",
       {"resumed"}},
      {loud,
       With(stopped, [](ConsoleStatus& s) { s.dropouts = "1 dropout"; }),
       "Recording stopped.  take.wav  00:00:06  free unknown  L[----------] R[----------]  1 dropout",
       {"stopped /rec/take.wav: 00:00:06 recorded, 1 dropout"}},
      {stopped,
       waiting,
       "Waiting to record at 12/7/2026 6:00:00 AM  00:00:00  free unknown  L[----------] R[----------]",
       {"Waiting to record at 12/7/2026 6:00:00 AM"}},
      {waiting, waiting, ProgressLine(waiting), {}},
      {waiting, take, ProgressLine(take), {"started /rec/take.wav"}},
      {idle,
       noRate,
       "Recording audio  take.wav  --:--:--  free --:--:--  L[----------] R[----------]",
       {"started /rec/take.wav"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressLine(c.now), c.progress);
    EXPECT_EQ(EventLines(c.before, c.now), c.events) << c.progress;
  }
}

}  // namespace
}  // namespace orvimo
