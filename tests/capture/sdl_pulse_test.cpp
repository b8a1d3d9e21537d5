// The SDL backend against the private PulseAudio daemon of the "pulse" test fixture: a tone played into
// its null sink comes back through the sink's monitor in the format asked for.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "capture/sdl_audio_library.h"
#include "capture_recorder.h"
#include "pulse_session.h"
#include "tone_analysis.h"

#ifndef ORVIMO_PULSE_DIR
#error "ORVIMO_PULSE_DIR must name the pulse fixture's directory"
#endif

namespace orvimo::capture {
namespace {

using namespace std::chrono_literals;

constexpr int kToneFrequency = 1000;
constexpr double kTonePeak = 16384;  // what pulse-session play-tone plays

class SdlPulseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.LoadEnvironment()) << "no pulse.env: is the pulse fixture running?";
    ASSERT_TRUE(library_.Init(-1, 44100, 0, nullptr, nullptr));
  }

  void TearDown() override {
    library_.Free();
    PulseSession::EndPlayer(player_);
  }

  int FindMonitor() {
    for (int device = 0;; ++device) {
      const auto description = library_.RecordGetDeviceDescription(device);
      if (!description) {
        return -1;
      }
      if (description->find("Monitor of") != std::string::npos) {
        return device;
      }
    }
  }

  PulseSession session_{ORVIMO_PULSE_DIR};
  SdlAudioLibrary library_;
  int player_ = -1;
};

TEST_F(SdlPulseTest, ListsTheMonitorOfTheNullSink) { EXPECT_GE(FindMonitor(), 0); }

struct ToneFormat {
  uint32_t frequency;
  uint32_t channels;
  uint32_t flags;

  uint32_t Bits() const { return (flags & kRecord8Bits) != 0 ? 8 : 16; }
  uint32_t BytesPerSecond() const { return frequency * channels * Bits() / 8; }
};

class SdlPulseToneTest : public SdlPulseTest, public ::testing::WithParamInterface<ToneFormat> {};

// The samples from shortly after the tone set in: the server may deliver silence before the player has
// connected.
std::vector<double> ToneSegment(const std::vector<double>& samples, uint32_t rate) {
  const auto onset =
      std::find_if(samples.begin(), samples.end(), [](double s) { return std::abs(s) > 4000; });
  const auto skip = std::min<std::ptrdiff_t>(rate / 10, samples.end() - onset);
  return std::vector<double>(onset + skip, samples.end());
}

TEST_P(SdlPulseToneTest, RecordsTheTonePlayedIntoTheSink) {
  const ToneFormat format = GetParam();
  const int monitor = FindMonitor();
  ASSERT_GE(monitor, 0);
  ASSERT_TRUE(library_.RecordInit(monitor));
  player_ = session_.PlayTone(kToneFrequency, 8);
  ASSERT_GT(player_, 0);

  constexpr int kSeconds = 3;
  CaptureRecorder recorder(format.BytesPerSecond() * (kSeconds + 2));
  const uint32_t handle = library_.RecordStart(format.frequency, format.channels, format.flags,
                                               CaptureRecorder::Collect, &recorder);
  ASSERT_NE(handle, 0u) << library_.ErrorGetCode();
  // The sound server may take a while to start sending.
  ASSERT_TRUE(recorder.WaitForBytes(1, 4s));
  std::this_thread::sleep_until(recorder.FirstBufferTime() + 1s);
  library_.ChannelGetLevel(handle);  // the level from now on, when the tone plays
  std::this_thread::sleep_until(recorder.FirstBufferTime() + std::chrono::seconds(kSeconds));
  const size_t bytes_in_window = recorder.Size();
  const uint32_t level = library_.ChannelGetLevel(handle);
  EXPECT_TRUE(library_.ChannelIsActive(handle));
  ASSERT_TRUE(library_.ChannelStop(handle));

  EXPECT_NEAR(static_cast<double>(bytes_in_window) / kSeconds, format.BytesPerSecond(),
              format.BytesPerSecond() * 0.1);
  EXPECT_EQ(recorder.Size() % (format.Bits() / 8 * format.channels), 0u) << "whole frames only";

  const std::vector<uint8_t> bytes = recorder.Bytes();
  for (uint32_t side = 0; side < format.channels; ++side) {
    const auto segment =
        ToneSegment(SideSamples(bytes, format.Bits(), format.channels, side), format.frequency);
    ASSERT_GE(segment.size(), format.frequency / 2) << "less than half a second of tone, side " << side;
    const ToneMeasurement tone = MeasureTone(segment, format.frequency);
    EXPECT_NEAR(tone.frequency, kToneFrequency, kToneFrequency * 0.01) << "side " << side;
    EXPECT_NEAR(tone.amplitude, kTonePeak, kTonePeak * 0.1) << "side " << side;
  }
  EXPECT_NEAR(level & 0xFFFF, kTonePeak, kTonePeak * 0.1) << "left level";
  EXPECT_NEAR(level >> 16, kTonePeak, kTonePeak * 0.1) << "right level";
}

INSTANTIATE_TEST_SUITE_P(Formats, SdlPulseToneTest,
                         ::testing::Values(ToneFormat{44100, 2, 0}, ToneFormat{8000, 1, kRecord8Bits}),
                         [](const auto& info) {
                           return std::to_string(info.param.frequency) + "Hz_" +
                                  std::to_string(info.param.Bits()) + "bit_" +
                                  std::to_string(info.param.channels) + "ch";
                         });

}  // namespace
}  // namespace orvimo::capture
