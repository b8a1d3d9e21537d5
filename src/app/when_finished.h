#pragma once

#include <string>

namespace orvimo {

// The items of the "When finished:" list, in list order.
enum class WhenFinishedAction {
  DoNothing = 0,
  DisplayAlert = 1,
  StartNewRecording = 2,
  ShutdownComputer = 3
};

inline constexpr const char* kAlertText = "Your recording has finished as scheduled.";
inline constexpr const char* kAlertTitle = "Orvimo";

// The template for the next file of a chain: unchanged when its name part already holds "[i]" (folder
// included), else "([i])" goes in front of the extension, which runs from the last "." after the last
// backslash, slash and colon.
std::string WithCounterBeforeExtension(const std::string& outputTemplate);

}  // namespace orvimo
