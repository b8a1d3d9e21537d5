// The window's presence on screen: told at once, once per change, when nothing of the window is shown
// any more and when it shows again.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "app/qt/screen_presence.h"

namespace orvimo {
namespace {

TEST(ScreenPresence, SaysAtOnceWhenTheWindowIsHiddenMinimisedOrShownAgain) {
  const struct Step {
    std::string what;
    std::function<void(QWidget&)> act;
    bool shown;
  } steps[] = {
      {"hidden", [](QWidget& w) { w.hide(); }, false},
      {"shown again", [](QWidget& w) { w.show(); }, true},
      {"minimised", [](QWidget& w) { w.showMinimized(); }, false},
      {"restored", [](QWidget& w) { w.showNormal(); }, true},
      {"shown twice", [](QWidget& w) { w.show(); }, true},
  };
  QWidget window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  std::vector<bool> told;
  ScreenPresence presence(window, [&told](bool shown) { told.push_back(shown); });
  QApplication::processEvents();
  ASSERT_TRUE(presence.Shown());
  for (const Step& step : steps) {
    step.act(window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return presence.Shown() == step.shown; })) << step.what;
  }
  EXPECT_EQ(told, (std::vector<bool>{false, true, false, true})) << "once per change";
}

}  // namespace
}  // namespace orvimo
