#pragma once

#include <windows.h>

namespace orvimo::win32 {

// The program's icon: the red disc of the record button, with its soft edge. Null when the system
// refuses; the caller destroys it with DestroyIcon.
HICON CreateProgramIcon();

}  // namespace orvimo::win32
