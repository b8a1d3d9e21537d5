#include "app/sleep_guard.h"

namespace orvimo {

namespace {

// The start moment as a user reads it: the short date and the long time of the locale, seconds
// included, also at midnight (where "c" would drop the time).
constexpr const char* kStartMomentFormat = "ddddd tt";

}  // namespace

std::string WaitingToRecordText(TDateTime start, const FormatSettings& settings) {
  return kSleepHeldOffUntilStart + FormatDateTime(kStartMomentFormat, start, settings);
}

SleepGuard::SleepGuard(SleepInhibitor& inhibitor, const FormatSettings& settings)
    : inhibitor_(inhibitor), settings_(settings) {}

SleepGuard::~SleepGuard() { Release(); }

std::optional<std::string> SleepGuard::Update(bool recording, std::optional<TDateTime> armedStart,
                                              TDateTime now) {
  const std::string why = ReasonFor(recording, armedStart, now);
  if (why == asked_) return std::nullopt;
  asked_ = why;
  if (why.empty()) {
    inhibitor_.Release();
    return std::nullopt;
  }
  if (inhibitor_.Hold(why)) {
    refusalReported_ = false;
    return std::nullopt;
  }
  if (refusalReported_) return std::nullopt;
  refusalReported_ = true;
  return kSleepNotHeldOff + inhibitor_.Failure();
}

void SleepGuard::Release() {
  if (asked_.empty()) return;
  asked_.clear();
  inhibitor_.Release();
}

std::string SleepGuard::ReasonFor(bool recording, std::optional<TDateTime> armedStart, TDateTime now) const {
  if (recording) return kRecordingAudio;
  if (armedStart && *armedStart > now) {
    return WaitingToRecordText(*armedStart, settings_);
  }
  return {};
}

}  // namespace orvimo
