#pragma once

#include "app/display_choice.h"

namespace orvimo {

// The displays DISPLAY and WAYLAND_DISPLAY name, each tried once as Qt would connect to it, and the
// user's QT_QPA_PLATFORM. A display that is not named is not tried.
DisplayEnvironment ProbeDisplays();

}  // namespace orvimo
