// When sleep is held off and with which reason, step by step as status ticks would ask; the
// inhibitor is a fake that keeps what it was asked.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/sleep_guard.h"
#include "app_fakes.h"

namespace orvimo {
namespace {

constexpr TDateTime kNow = 46362.9233564815;      // 6 December 2026, 22:09:38
constexpr TDateTime kSixInTheMorning = 46363.25;  // 7 December 2026, 06:00:00
constexpr TDateTime kHalfPastSeven = 46363.3125;  // 7 December 2026, 07:30:00
constexpr TDateTime kAMinuteAgo = kNow - 1.0 / 1440;

const std::string kWaitingForSix = "Waiting to record at 12/7/2026 6:00:00 AM";
const std::string kWaitingForHalfPastSeven = "Waiting to record at 12/7/2026 7:30:00 AM";
const std::string kRefused = "Sleep could not be held off: no login manager";

struct Step {
  const char* what;
  bool recording;
  std::optional<TDateTime> armedStart;
  bool refuse;
  std::optional<std::string> heldAfter;
  size_t holdsAfter;  // calls of Hold so far: a tick that changes nothing adds none
  int releasesAfter;
  std::optional<std::string> hint;
};

TEST(SleepGuard, HoldsWhileRecordingOrArmedAndAsksOnlyWhenTheReasonChanges) {
  const std::vector<Step> steps{
      {"idle", false, std::nullopt, false, std::nullopt, 0, 0, std::nullopt},
      {"armed for tomorrow", false, kSixInTheMorning, false, kWaitingForSix, 1, 0, std::nullopt},
      {"tick while armed", false, kSixInTheMorning, false, kWaitingForSix, 1, 0, std::nullopt},
      {"start moved: renewed, not released", false, kHalfPastSeven, false, kWaitingForHalfPastSeven, 2, 0,
       std::nullopt},
      {"start moved into the past", false, kAMinuteAgo, false, std::nullopt, 2, 1, std::nullopt},
      {"armed again", false, kSixInTheMorning, false, kWaitingForSix, 3, 1, std::nullopt},
      {"disarmed", false, std::nullopt, false, std::nullopt, 3, 2, std::nullopt},
      {"armed again", false, kSixInTheMorning, false, kWaitingForSix, 4, 2, std::nullopt},
      {"scheduled start fired", true, std::nullopt, false, "Recording audio", 5, 2, std::nullopt},
      {"tick while recording", true, std::nullopt, false, "Recording audio", 5, 2, std::nullopt},
      {"checked during recording", true, kSixInTheMorning, false, "Recording audio", 5, 2, std::nullopt},
      {"stopped", false, std::nullopt, false, std::nullopt, 5, 3, std::nullopt},
      {"tick while idle", false, std::nullopt, false, std::nullopt, 5, 3, std::nullopt},
      {"refused at start", true, std::nullopt, true, std::nullopt, 6, 3, kRefused},
      {"tick after refusal: no retry", true, std::nullopt, true, std::nullopt, 6, 3, std::nullopt},
      {"stopped", false, std::nullopt, true, std::nullopt, 6, 4, std::nullopt},
      {"refused again: told once only", false, kSixInTheMorning, true, std::nullopt, 7, 4, std::nullopt},
      {"login manager back", true, std::nullopt, false, "Recording audio", 8, 4, std::nullopt},
      {"stopped", false, std::nullopt, false, std::nullopt, 8, 5, std::nullopt},
      {"refused after a success: told again", true, std::nullopt, true, std::nullopt, 9, 5, kRefused},
  };
  testing::FakeSleepInhibitor inhibitor;
  SleepGuard guard(inhibitor, FormatSettings{});
  for (const Step& step : steps) {
    inhibitor.refuse = step.refuse;
    EXPECT_EQ(guard.Update(step.recording, step.armedStart, kNow), step.hint) << step.what;
    EXPECT_EQ(inhibitor.held, step.heldAfter) << step.what;
    EXPECT_EQ(inhibitor.holds.size(), step.holdsAfter) << step.what;
    EXPECT_EQ(inhibitor.releases, step.releasesAfter) << step.what;
  }
}

TEST(SleepGuard, ClosingLetsGoAndTheNextUpdateTakesTheLockAgain) {
  testing::FakeSleepInhibitor inhibitor;
  {
    SleepGuard guard(inhibitor, FormatSettings{});
    guard.Update(true, std::nullopt, kNow);
    guard.Release();
    EXPECT_EQ(inhibitor.held, std::nullopt);
    guard.Update(true, std::nullopt, kNow);
    EXPECT_EQ(inhibitor.held, "Recording audio");
  }
  EXPECT_EQ(inhibitor.held, std::nullopt);  // the guard lets go when it goes
  EXPECT_EQ(inhibitor.holds.size(), 2u);
}

TEST(SleepGuard, TheStartMomentIsWrittenInTheLocaleOfTheWindow) {
  FormatSettings german;
  german.dateSeparator = '.';
  german.shortDateFormat = "dd.MM.yyyy";
  german.longTimeFormat = "hh:nn:ss";
  testing::FakeSleepInhibitor inhibitor;
  SleepGuard guard(inhibitor, german);
  guard.Update(false, EncodeDateTime(2027, 1, 1, 0, 0, 0, 0), kNow);
  EXPECT_EQ(inhibitor.held, "Waiting to record at 01.01.2027 00:00:00");
}

}  // namespace
}  // namespace orvimo
