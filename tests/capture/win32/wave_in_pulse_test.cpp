#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "capture/win32/wave_in_audio_library.h"
#include "tone_analysis.h"

namespace orvimo::capture {
namespace {

// What the callback was given, in the order it came; "after stop" counts calls that should not exist.
struct Capture {
  std::mutex mutex;
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> lengths;
  std::atomic<bool> stopped{false};
  std::atomic<int> callsAfterStop{0};

  static bool Callback(uint32_t, const void* buffer, uint32_t length, void* user) {
    auto* capture = static_cast<Capture*>(user);
    if (capture->stopped.load()) ++capture->callsAfterStop;
    const std::lock_guard lock(capture->mutex);
    const auto* data = static_cast<const uint8_t*>(buffer);
    capture->bytes.insert(capture->bytes.end(), data, data + length);
    capture->lengths.push_back(length);
    return true;
  }
};

// The test script plays a 1 kHz sine at half scale (peak 16384) into the private daemon's null sink,
// whose monitor is the default source that Wine's PulseAudio driver captures from.
class WaveInPulseTest : public ::testing::TestWithParam<SampleFormat> {};

TEST_P(WaveInPulseTest, RecordsTheToneInTheFormatAskedFor) {
  const SampleFormat format = GetParam();
  WaveInAudioLibrary library;
  ASSERT_TRUE(library.Init(-1, 44100, 0, nullptr, nullptr));
  ASSERT_TRUE(library.RecordGetDeviceDescription(0).has_value()) << "no capture device listed";
  ASSERT_TRUE(library.RecordInit(-1));

  Capture capture;
  const uint32_t handle = library.RecordStart(
      format.rate, format.channels, format.bits == 8 ? kRecord8Bits : 0, Capture::Callback, &capture);
  ASSERT_NE(handle, 0u) << library.ErrorGetCode();
  Sleep(1500);
  EXPECT_TRUE(library.ChannelIsActive(handle));
  library.ChannelStop(handle);
  capture.stopped.store(true);
  Sleep(200);
  EXPECT_EQ(capture.callsAfterStop.load(), 0);

  const std::lock_guard lock(capture.mutex);
  const double seconds =
      static_cast<double>(capture.bytes.size()) / static_cast<double>(format.BytesPerSecond());
  EXPECT_GT(seconds, 1.0);
  EXPECT_LT(seconds, 1.7);
  for (const uint32_t length : capture.lengths) {
    EXPECT_EQ(length % format.BlockAlign(), 0u);
    const double milliseconds = 1000.0 * length / static_cast<double>(format.BytesPerSecond());
    EXPECT_GE(milliseconds, 20.0);
    EXPECT_LE(milliseconds, 40.0);
  }
  // Skip the first 200 ms, while the stream settles.
  const std::size_t settle =
      static_cast<std::size_t>(format.BytesPerSecond() / 5) / format.BlockAlign() * format.BlockAlign();
  ASSERT_GT(capture.bytes.size(), settle);
  const std::vector<uint8_t> steady(capture.bytes.begin() + static_cast<std::ptrdiff_t>(settle),
                                    capture.bytes.end());
  for (uint32_t side = 0; side < format.channels; ++side) {
    const ToneMeasurement tone =
        MeasureTone(SideSamples(steady, format.bits, format.channels, side), format.rate);
    EXPECT_NEAR(tone.frequency, 1000.0, 10.0) << "side " << side;
    EXPECT_NEAR(tone.amplitude, 16384.0, 16384.0 * 0.1) << "side " << side;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, WaveInPulseTest,
                         ::testing::Values(SampleFormat{44100, 2, 16}, SampleFormat{22050, 1, 8},
                                           SampleFormat{48000, 2, 16}));

}  // namespace
}  // namespace orvimo::capture
