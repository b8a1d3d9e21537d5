#include "app/display_choice.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvimo {
namespace {

struct DisplayCase {
  std::string description;
  DisplayEnvironment environment;
  DisplayChoice expected;
  friend void PrintTo(const DisplayCase& c, std::ostream* out) { *out << c.description; }
};

class DisplayChoiceTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayChoiceTest, WindowOnlyWhereADisplayAnswers) {
  const DisplayCase& c = GetParam();
  const DisplayChoice choice = ChooseDisplay(c.environment);
  EXPECT_EQ(choice.withWindow, c.expected.withWindow);
  EXPECT_EQ(choice.platforms, c.expected.platforms);
  EXPECT_EQ(choice.message, c.expected.message);
}

constexpr const char* kWithout = "; running without a window.";

INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayChoiceTest,
    ::testing::Values(
        DisplayCase{"none named: without a window, nothing said", {}, {false, "", ""}},
        DisplayCase{"X named, gone",
                    {":999", "", "", false, false},
                    {false, "", std::string("Cannot open the display :999 (X11)") + kWithout}},
        DisplayCase{
            "both named, both gone",
            {":999", "wayland-1", "", false, false},
            {false, "", std::string("Cannot open the display :999 (X11) or wayland-1 (Wayland)") + kWithout}},
        DisplayCase{"both answer: Qt's own choice", {":0", "wayland-0", "", true, true}, {true, "", ""}},
        DisplayCase{"Wayland gone, X answers", {":0", "wayland-1", "", true, false}, {true, "xcb", ""}},
        DisplayCase{"X gone, Wayland answers", {":999", "wayland-0", "", false, true}, {true, "wayland", ""}},
        DisplayCase{"the user's list loses what does not answer",
                    {":0", "wayland-1", "wayland;xcb", true, false},
                    {true, "xcb", ""}},
        DisplayCase{"the user's list kept whole", {":0", "", "xcb;offscreen", true, false}, {true, "", ""}},
        DisplayCase{"the user's only platform gone",
                    {":999", "wayland-0", "xcb", false, true},
                    {false, "", std::string("Cannot open the display :999 (X11)") + kWithout}},
        DisplayCase{"the user's platform has no display named",
                    {"", "wayland-0", "xcb", false, true},
                    {false, "", std::string("Cannot open a display for the platform xcb") + kWithout}}),
    [](const ::testing::TestParamInfo<DisplayCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace orvimo
