#include "app/win32/posted_call.h"

#include <memory>

namespace orvimo::win32 {

bool PostCallToWindow(HWND window, std::function<void()> call) {
  auto held = std::make_unique<std::function<void()>>(std::move(call));
  if (window == nullptr ||
      !PostMessageW(window, kPostedCallMessage, 0, reinterpret_cast<LPARAM>(held.get()))) {
    return false;
  }
  held.release();  // the window procedure owns it now
  return true;
}

void RunPostedCall(LPARAM lParam) {
  const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
  if (call && *call) (*call)();
}

}  // namespace orvimo::win32
