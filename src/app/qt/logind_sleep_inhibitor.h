#pragma once

#include <string>

#include "app/sleep_inhibitor.h"

namespace orvimo {

// Holds sleep off through the login manager: on Linux a "sleep" inhibitor lock in "block" mode,
// taken over the system bus, which lasts as long as we keep the file descriptor it hands back open;
// on Windows the thread's execution state. The screen may still blank when idle. The lock goes with
// this object.
class LogindSleepInhibitor : public SleepInhibitor {
 public:
  // How long the login manager may take to answer before the lock counts as refused; the window
  // waits this long at most.
  static constexpr int kCallTimeoutMs = 2000;

  LogindSleepInhibitor() = default;
  ~LogindSleepInhibitor() override;
  LogindSleepInhibitor(const LogindSleepInhibitor&) = delete;
  LogindSleepInhibitor& operator=(const LogindSleepInhibitor&) = delete;

  bool Hold(const std::string& why) override;
  void Release() override;
  std::string Failure() const override { return failure_; }

 private:
  int lockFd_ = -1;  // Linux: our own copy of the descriptor logind watches
  bool held_ = false;
  std::string failure_;
};

}  // namespace orvimo
