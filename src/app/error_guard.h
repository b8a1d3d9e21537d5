#pragma once

#include <exception>
#include <string>
#include <utility>

#include "app/dialogs.h"

namespace orvimo {

// The one place where errors stop: every entry point from the event loop runs inside Run, which ends
// the handler at the failing step, shows the message in a modal error box and lets the program go on.
// Code called from a handler lets its errors fly, so a failing step ends the whole handler.
class ErrorGuard {
 public:
  explicit ErrorGuard(Dialogs& dialogs) : dialogs_(dialogs) {}

  template <typename Handler>
  bool Run(Handler&& handler) noexcept {
    try {
      std::forward<Handler>(handler)();
      return true;
    } catch (const std::exception& error) {
      Show(error.what());
    } catch (...) {
      Show("Unknown error");
    }
    return false;
  }

 private:
  void Show(const std::string& text) noexcept {
    try {
      dialogs_.ShowError(text);
    } catch (...) {
      // Nothing sensible is left to do when the error box itself fails.
    }
  }

  Dialogs& dialogs_;
};

}  // namespace orvimo
