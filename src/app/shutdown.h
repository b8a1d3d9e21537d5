#pragma once

#include <cstdint>

namespace orvimo {

// Asks the operating system to shut down. flags are the classic exit flags: 4 force (do not ask running
// programs), 8 power off; 12 is what the "Shutdown computer" action passes.
constexpr uint32_t kShutdownForce = 4;
constexpr uint32_t kShutdownPowerOff = 8;

class Shutdown {
 public:
  virtual ~Shutdown() = default;
  // True when the system accepted the request.
  virtual bool ShutdownComputer(uint32_t flags) = 0;
};

}  // namespace orvimo
