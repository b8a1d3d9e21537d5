#pragma once

#include "base/date_time.h"

namespace orvimo {

// The local date and time, as the scheduler and the file-name template read it. Tests move it by hand.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual TDateTime Now() = 0;
};

}  // namespace orvimo
