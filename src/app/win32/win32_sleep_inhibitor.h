#pragma once

#include "app/sleep_inhibitor.h"

namespace orvimo::win32 {

// Holds sleep off through SetThreadExecutionState: the system stays awake while the calling thread
// (the window's) says so; the display may still turn off. The reason is not shown anywhere by this
// call.
class Win32SleepInhibitor : public SleepInhibitor {
 public:
  ~Win32SleepInhibitor() override { Release(); }
  bool Hold(const std::string& why) override;
  void Release() override;
  std::string Failure() const override { return "the system refused to stay awake"; }
};

}  // namespace orvimo::win32
