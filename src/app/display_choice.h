#pragma once

#include <string>

namespace orvimo {

// The displays the environment names, and which of them answer.
struct DisplayEnvironment {
  std::string x11Display;      // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
  std::string platforms;       // QT_QPA_PLATFORM as the user set it: Qt's platforms, ";" between them
  bool x11Answers = false;
  bool waylandAnswers = false;  // with a Qt platform to talk to it
};

struct DisplayChoice {
  bool withWindow = false;  // false: the run without a window, reporting on the console
  std::string platforms;    // for QT_QPA_PLATFORM; empty: Qt chooses as it would
  std::string message;      // one line for stderr; empty: nothing to say
};

// A window only where Qt can reach a display: a named display that does not answer (a stale variable
// after a logout, a forwarded display gone with its ssh session) would make Qt abort. Platforms that
// need a display which does not answer are left out of the user's list; with none left, or no display
// named at all, the program runs without a window.
DisplayChoice ChooseDisplay(const DisplayEnvironment& environment);

}  // namespace orvimo
