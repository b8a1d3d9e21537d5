#pragma once

#include <optional>
#include <string>

#include "app/sleep_inhibitor.h"
#include "services/status_texts.h"
#include "base/date_time.h"

namespace orvimo {

// The reasons given to the system: kRecordingAudio while recording, else this and the start moment.
inline constexpr const char* kSleepHeldOffUntilStart = "Waiting to record at ";
inline constexpr const char* kSleepNotHeldOff = "Sleep could not be held off: ";

// "Waiting to record at 06/12/2026 22:30:00": the reason while a start waits, in the locale's format.
std::string WaitingToRecordText(TDateTime start, const FormatSettings& settings);

// Holds sleep off while a recording runs or a scheduled start waits in the future, and lets it come
// again as soon as neither is true. Meant to be asked at every status tick: the inhibitor is called
// only when the reason changes, never when nothing did.
class SleepGuard {
 public:
  SleepGuard(SleepInhibitor& inhibitor, const FormatSettings& settings);
  ~SleepGuard();
  SleepGuard(const SleepGuard&) = delete;
  SleepGuard& operator=(const SleepGuard&) = delete;

  // armedStart: the start moment while "Start:" is checked. A start moment not after now needs no
  // lock: the scheduled start fires at the next tick and the recording takes over.
  // Returns the text for the status hint when sleep could not be held off; after a refusal it stays
  // silent until a lock has been held again, so a missing login manager is reported once.
  std::optional<std::string> Update(bool recording, std::optional<TDateTime> armedStart, TDateTime now);

  // Lets go of the lock whatever the state (the window closes); the next Update takes it again.
  void Release();

 private:
  std::string ReasonFor(bool recording, std::optional<TDateTime> armedStart, TDateTime now) const;

  SleepInhibitor& inhibitor_;
  const FormatSettings settings_;
  // The reason last asked for, empty when no lock is wanted.
  std::string asked_;
  bool refusalReported_ = false;
};

}  // namespace orvimo
