// The window's presence on screen: what only feeds the screen slows down while nothing of the window is
// shown, and comes back at once when it shows again.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

#include "app/qt/screen_presence.h"
#include "support/fake_audio_library.h"

namespace orvimo {
namespace {

using capture::FakeAudioLibrary;

std::vector<int64_t> LowPowerCalls(const FakeAudioLibrary& audio) {
  std::vector<int64_t> relaxed;
  for (const auto& call : audio.CallsNamed("SetLowPower")) relaxed.push_back(call.args.at(0));
  return relaxed;
}

TEST(ScreenPresence, HidingOrMinimisingRelaxesTheMeterAndTheCaptureShowingBringsThemBack) {
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
  QTimer meter;
  meter.setInterval(20);
  meter.start();
  FakeAudioLibrary audio;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ScreenPresence presence(window, meter, audio, [] { return int64_t{176400}; });
  QApplication::processEvents();
  ASSERT_TRUE(presence.Shown());
  for (const Step& step : steps) {
    step.act(window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return presence.Shown() == step.shown; })) << step.what;
    EXPECT_EQ(meter.interval(), step.shown ? 20 : 145) << step.what;
    EXPECT_TRUE(meter.isActive()) << step.what;
  }
  EXPECT_EQ(LowPowerCalls(audio), (std::vector<int64_t>{1, 0, 1, 0})) << "one call per change";
}

// Between two ticks of the hidden meter the recording writes at most a quarter of the disk reserve.
TEST(ScreenPresence, TheHiddenMeterTicksOftenEnoughForTheDiskGuard) {
  const struct {
    int64_t bytesPerSecond;
    int64_t milliseconds;
  } cases[] = {{176400, 145}, {8000, 250}, {0, 250}, {-1, 250}, {1536000, 20}, {int64_t{1} << 40, 20}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScreenPresence::HiddenMeterInterval(c.bytesPerSecond).count(), c.milliseconds)
        << c.bytesPerSecond;
  }
}

TEST(ScreenPresence, AStoppedMeterStaysStopped) {
  QWidget window;
  QTimer meter;
  meter.setInterval(20);
  FakeAudioLibrary audio;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ScreenPresence presence(window, meter, audio, [] { return int64_t{176400}; });
  for (bool show : {false, true}) {
    window.setVisible(show);
    EXPECT_TRUE(QTest::qWaitFor([&] { return presence.Shown() == show; })) << show;
    EXPECT_FALSE(meter.isActive()) << show;
  }
  EXPECT_EQ(meter.interval(), 20);
}

}  // namespace
}  // namespace orvimo
