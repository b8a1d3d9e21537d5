#pragma once

#include <string>

namespace orvimo::win32 {

// Shows the help or the version: into the standard output where it is redirected, else on the console
// the program was started from, else (started from Explorer or a shortcut) in a message box. Returns
// the exit status.
int ShowProgramInfo(const std::string& text);

}  // namespace orvimo::win32
