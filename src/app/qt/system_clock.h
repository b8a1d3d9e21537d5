#pragma once

#include "services/clock.h"

namespace orvimo {

class SystemClock : public Clock {
 public:
  TDateTime Now() override { return orvimo::Now(); }
};

}  // namespace orvimo
