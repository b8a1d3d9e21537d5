#include "app/display_choice.h"

#include <vector>

namespace orvimo {

namespace {

std::vector<std::string> SplitPlatforms(const std::string& platforms) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= platforms.size()) {
    size_t end = platforms.find(';', start);
    if (end == std::string::npos) end = platforms.size();
    if (end > start) entries.push_back(platforms.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

// Platforms without a display server of their own (offscreen, vnc, eglfs...) are taken as they come.
bool Usable(const std::string& platform, const DisplayEnvironment& environment) {
  if (platform == "xcb") return environment.x11Answers;
  if (platform.rfind("wayland", 0) == 0) return environment.waylandAnswers;
  return true;
}

// Which named display did not answer: ":999 (X11)", "wayland-1 (Wayland)", or both.
std::string DeadDisplays(const DisplayEnvironment& environment) {
  std::string dead;
  if (!environment.x11Display.empty() && !environment.x11Answers) dead = environment.x11Display + " (X11)";
  if (!environment.waylandDisplay.empty() && !environment.waylandAnswers) {
    dead += (dead.empty() ? "" : " or ") + environment.waylandDisplay + " (Wayland)";
  }
  return dead;
}

DisplayChoice WithoutWindow(const DisplayEnvironment& environment) {
  const std::string dead = DeadDisplays(environment);
  const std::string what =
      dead.empty() ? "a display for the platform " + environment.platforms : "the display " + dead;
  return {
      .withWindow = false, .platforms = {}, .message = "Cannot open " + what + "; running without a window."};
}

DisplayChoice FromUsersPlatforms(const DisplayEnvironment& environment) {
  std::string usable;
  for (const std::string& platform : SplitPlatforms(environment.platforms)) {
    if (Usable(platform, environment)) usable += (usable.empty() ? "" : ";") + platform;
  }
  if (usable.empty()) return WithoutWindow(environment);
  return {.withWindow = true, .platforms = usable == environment.platforms ? "" : usable, .message = {}};
}

}  // namespace

DisplayChoice ChooseDisplay(const DisplayEnvironment& environment) {
  const bool x11Named = !environment.x11Display.empty();
  const bool waylandNamed = !environment.waylandDisplay.empty();
  if (!x11Named && !waylandNamed) return {};
  if (!environment.platforms.empty()) return FromUsersPlatforms(environment);
  const bool x11Up = x11Named && environment.x11Answers;
  const bool waylandUp = waylandNamed && environment.waylandAnswers;
  if (!x11Up && !waylandUp) return WithoutWindow(environment);
  if (x11Up && waylandUp) return {.withWindow = true, .platforms = {}, .message = {}};
  // Qt might pick the one that does not answer: name the one that does.
  return {.withWindow = true, .platforms = x11Up ? "xcb" : "wayland", .message = {}};
}

}  // namespace orvimo
