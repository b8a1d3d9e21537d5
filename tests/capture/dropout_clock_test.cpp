#include "capture/dropout_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>

namespace orvimo::capture {
namespace {

constexpr int64_t kBytesPerSecond = 176400;
constexpr double kPeriod = 0.04;  // a delivery every 40 ms of the device's time

struct Scenario {
  std::string name;
  double seconds;
  // What a delivery at time t has delivered in all; none while the reader is held back.
  std::function<std::optional<double>(double t)> delivered_seconds;
  uint64_t dropouts;
  double seconds_lost;
};

uint64_t Bytes(double seconds) { return static_cast<uint64_t>(std::llround(seconds * kBytesPerSecond)); }

const Scenario kScenarios[] = {
    {"steady", 60, [](double t) { return std::optional<double>(t); }, 0, 0},
    {"late deliveries jitter", 60,
     [](double t) { return std::optional<double>(std::fmod(t, 0.28) < 0.05 ? t - 0.08 : t); }, 0, 0},
    {"held back 3 s, nothing lost", 20,
     [](double t) { return t > 5 && t < 8 ? std::nullopt : std::optional<double>(t); }, 0, 0},
    {"held back across windows, slowly caught up", 20,
     [](double t) {
       if (t > 5 && t < 8) return std::optional<double>();
       return std::optional<double>(t < 9.5 ? 5 + (t - 8) * 3 : t);  // backlog drained over 1.5 s
     },
     0, 0},
    {"device 0.1 % slow for an hour", 3600, [](double t) { return std::optional<double>(t * 0.999); }, 0, 0},
    {"device 0.1 % fast for an hour", 3600, [](double t) { return std::optional<double>(t * 1.001); }, 0, 0},
    {"held back 10 s, 4 s dropped", 30,
     [](double t) { return t > 5 && t < 15 ? std::nullopt : std::optional<double>(t < 15 ? t : t - 4); }, 1,
     4},
    {"two dropouts", 30,
     [](double t) { return std::optional<double>(t < 8    ? t
                                                 : t < 20 ? t - 0.5
                                                          : t - 1.5); }, 2, 1.5},
};

TEST(DropoutClockTest, CountsWhatNeverArrivesAndNotWhatArrivesLate) {
  for (const Scenario& scenario : kScenarios) {
    DropoutClock clock(kBytesPerSecond);
    const auto start = DropoutClock::Clock::time_point{} + std::chrono::hours(1);
    uint64_t dropouts = 0;
    uint64_t lost = 0;
    for (double t = kPeriod; t <= scenario.seconds; t += kPeriod) {
      const std::optional<double> delivered = scenario.delivered_seconds(t);
      if (!delivered) {
        continue;
      }
      const auto now = start + std::chrono::microseconds(std::llround(t * 1e6));
      if (const uint64_t bytes = clock.Observe(Bytes(*delivered), now)) {
        ++dropouts;
        lost += bytes;
      }
    }
    EXPECT_EQ(dropouts, scenario.dropouts) << scenario.name;
    EXPECT_NEAR(static_cast<double>(lost), static_cast<double>(Bytes(scenario.seconds_lost)),
                kBytesPerSecond * 0.05)
        << scenario.name;
  }
}

}  // namespace
}  // namespace orvimo::capture
