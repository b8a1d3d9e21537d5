#pragma once

#include <cstdint>

#include "app/shutdown.h"

namespace orvimo {

// Switches the computer off. On Linux the login manager is asked over the system bus to power off
// (or reboot) without asking running programs; on Windows the process enables its shutdown
// privilege and calls ExitWindowsEx. A refused request or a missing bus only yields false.
class DbusShutdown : public Shutdown {
 public:
  // How long the login manager may take to answer before the request counts as refused.
  static constexpr int kCallTimeoutMs = 3000;

  bool ShutdownComputer(uint32_t flags) override;
};

}  // namespace orvimo
