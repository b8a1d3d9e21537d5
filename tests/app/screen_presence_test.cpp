// The window's presence on screen: told at once, once per change, when nothing of the window is shown
// any more (hidden, minimised, the screen locked) and when it shows again.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "app/mock_login_manager.h"
#include "app/qt/screen_presence.h"

namespace orvimo {
namespace {

// What a desktop's screen saver announces on the session bus when the screen locks or unlocks.
void AnnounceScreenLock(const char* path, const char* interface, bool locked) {
  QDBusConnection locker = QDBusConnection::connectToBus(testing::SystemBusAddress(), "locker");
  locker.send(QDBusMessage::createSignal(path, interface, "ActiveChanged") << locked);
}

TEST(ScreenPresence, SaysAtOnceWhenTheWindowIsHiddenMinimisedLockedOrShownAgain) {
  const auto lock = [](const char* path, const char* interface, bool locked) {
    return [=](QWidget&) { AnnounceScreenLock(path, interface, locked); };
  };
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
      {"locked (KDE)", lock("/ScreenSaver", "org.freedesktop.ScreenSaver", true), false},
      {"unlocked (KDE)", lock("/ScreenSaver", "org.freedesktop.ScreenSaver", false), true},
      {"locked (GNOME)", lock("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", true), false},
      {"something else of GNOME's", lock("/org/gnome/ScreenSaver", "org.gnome.Other", false), false},
      {"unlocked (GNOME)", lock("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", false), true},
  };
  testing::PrivateSystemBus bus;
  ASSERT_TRUE(bus.Running());
  QWidget window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  std::vector<bool> told;
  ScreenPresence presence(
      window, [&told](bool shown) { told.push_back(shown); },
      QDBusConnection::connectToBus(bus.Address(), "presence"));
  QApplication::processEvents();
  ASSERT_TRUE(presence.Shown());
  for (const Step& step : steps) {
    step.act(window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return presence.Shown() == step.shown; })) << step.what;
  }
  EXPECT_EQ(told, (std::vector<bool>{false, true, false, true, false, true, false, true}))
      << "once per change";
}

}  // namespace
}  // namespace orvimo
