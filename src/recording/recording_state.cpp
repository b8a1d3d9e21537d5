#include "recording/recording_state.h"

namespace orvimo {

bool MonitorCallback(uint32_t /*channel*/, const void* /*buffer*/, uint32_t /*length*/, void* /*user*/) {
  return true;
}

}  // namespace orvimo
