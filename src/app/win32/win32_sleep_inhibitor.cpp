#include "app/win32/win32_sleep_inhibitor.h"

#include <windows.h>

namespace orvimo::win32 {

bool Win32SleepInhibitor::Hold(const std::string&) {
  // One state per thread: a new hold replaces the old one with no moment in between.
  return SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
}

void Win32SleepInhibitor::Release() { SetThreadExecutionState(ES_CONTINUOUS); }

}  // namespace orvimo::win32
