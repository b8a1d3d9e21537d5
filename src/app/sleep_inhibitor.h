#pragma once

#include <string>

namespace orvimo {

// Keeps the computer from going to sleep (idle screen blanking is left alone). Only one lock is held
// at a time; its reason is what the system shows to a user who asks why sleep is held off.
class SleepInhibitor {
 public:
  virtual ~SleepInhibitor() = default;
  // Takes the lock with this reason, letting go of one held before only once the new one holds, so
  // sleep is never allowed in between. False when the new lock was refused; a lock held before then
  // stays held.
  virtual bool Hold(const std::string& why) = 0;
  // Lets go of the lock; nothing happens when none is held.
  virtual void Release() = 0;
  // Why the last Hold failed, short enough for a status hint.
  virtual std::string Failure() const = 0;
};

// For a program built without any way to hold sleep off: every Hold is refused.
class NoSleepInhibitor : public SleepInhibitor {
 public:
  bool Hold(const std::string&) override { return false; }
  void Release() override {}
  std::string Failure() const override { return "not supported here"; }

  // One for the whole process, for services that are not given a real one.
  static NoSleepInhibitor& Shared() {
    static NoSleepInhibitor none;
    return none;
  }
};

}  // namespace orvimo
