// The PulseAudio backend against the private daemon of the "pulse" test fixture: the device list, a
// tone played into the null sink coming back in the format asked for, the error codes and handles, and
// the guarantees of ChannelStop.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

#include "capture/pulse_audio_library.h"
#include "capture_recorder.h"
#include "pulse_session.h"
#include "small_chunk_sink.h"
#include "tone_analysis.h"

#ifndef ORVIMO_PULSE_DIR
#error "ORVIMO_PULSE_DIR must name the pulse fixture's directory"
#endif

namespace orvimo::capture {
namespace {

using namespace std::chrono_literals;

constexpr int kToneFrequency = 1000;
constexpr double kTonePeak = 16384;  // what pulse-session play-tone plays

struct Probe {
  std::atomic<int> calls{0};
  std::atomic<bool> inside{false};
  std::atomic<uint32_t> last_channel{0};
  std::chrono::milliseconds pause{0};
  bool go_on = true;
};

bool Count(uint32_t channel, const void* /*buffer*/, uint32_t /*length*/, void* user) {
  auto* probe = static_cast<Probe*>(user);
  probe->inside = true;
  probe->last_channel = channel;
  std::this_thread::sleep_for(probe->pause);
  ++probe->calls;
  probe->inside = false;
  return probe->go_on;
}

bool WaitForCalls(const Probe& probe, int calls) {
  for (int waited = 0; waited < 500 && probe.calls < calls; ++waited) {
    std::this_thread::sleep_for(10ms);
  }
  return probe.calls >= calls;
}

// The descriptions of the server's sources in its own order, as pactl lists them.
std::vector<std::string> ServerSourceDescriptions() {
  std::vector<std::string> descriptions;
  FILE* pipe = popen("pactl list sources </dev/null 2>/dev/null", "r");
  if (pipe == nullptr) {
    return descriptions;
  }
  std::array<char, 512> line;
  const std::string key = "Description: ";
  while (fgets(line.data(), line.size(), pipe) != nullptr) {
    std::string text(line.data());
    const auto at = text.find(key);
    if (at != std::string::npos) {
      text = text.substr(at + key.size());
      text.erase(text.find_last_not_of("\r\n") + 1);
      descriptions.push_back(text);
    }
  }
  pclose(pipe);
  return descriptions;
}

class PulseLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.LoadEnvironment()) << "no pulse.env: is the pulse fixture running?";
    ASSERT_TRUE(library_.Init(-1, 44100, 0, nullptr, nullptr));
  }

  void TearDown() override {
    library_.Free();
    PulseSession::EndPlayer(player_);
  }

  std::vector<std::string> Devices() {
    std::vector<std::string> devices;
    for (int device = 0;; ++device) {
      const auto description = library_.RecordGetDeviceDescription(device);
      if (!description) {
        return devices;
      }
      devices.push_back(*description);
    }
  }

  int FindDevice(const std::string& description) {
    const std::vector<std::string> devices = Devices();
    const auto found = std::find(devices.begin(), devices.end(), description);
    return found == devices.end() ? -1 : static_cast<int>(found - devices.begin());
  }

  void SelectDefault() { ASSERT_TRUE(library_.RecordInit(-1)); }

  PulseSession session_{ORVIMO_PULSE_DIR};
  PulseAudioLibrary library_;
  Probe probe_;
  int player_ = -1;
};

TEST_F(PulseLibraryTest, ListsEverySourceInTheServersOrderAndSeesNewOnes) {
  EXPECT_EQ(Devices(), ServerSourceDescriptions());
  EXPECT_GE(FindDevice("Monitor of Null Output"), 0) << "the fixture's sink";

  SmallChunkSink extra("orvimo_listed_sink");
  ASSERT_TRUE(extra.Loaded());
  const int added = FindDevice(extra.MonitorDescription());
  EXPECT_GE(added, 0) << "a new enumeration reads the list again";
  EXPECT_EQ(Devices(), ServerSourceDescriptions());
  EXPECT_TRUE(library_.RecordInit(added));
  EXPECT_FALSE(library_.RecordGetDeviceDescription(-1));
  EXPECT_FALSE(library_.RecordGetInputName(0));
}

struct ToneFormat {
  uint32_t frequency;
  uint32_t channels;
  uint32_t flags;

  uint32_t Bits() const { return (flags & kRecord8Bits) != 0 ? 8 : 16; }
  uint32_t BytesPerSecond() const { return frequency * channels * Bits() / 8; }
};

class PulseToneTest : public PulseLibraryTest, public ::testing::WithParamInterface<ToneFormat> {};

// The samples from shortly after the tone set in: the server sends silence until the player connects.
std::vector<double> ToneSegment(const std::vector<double>& samples, uint32_t rate) {
  const auto onset =
      std::find_if(samples.begin(), samples.end(), [](double s) { return std::abs(s) > 4000; });
  const auto skip = std::min<std::ptrdiff_t>(rate / 10, samples.end() - onset);
  return std::vector<double>(onset + skip, samples.end());
}

TEST_P(PulseToneTest, RecordsTheTonePlayedIntoTheSink) {
  const ToneFormat format = GetParam();
  const int monitor = FindDevice("Monitor of Null Output");
  ASSERT_GE(monitor, 0);
  ASSERT_TRUE(library_.RecordInit(monitor));
  player_ = session_.PlayTone(kToneFrequency, 8);
  ASSERT_GT(player_, 0);

  constexpr int kSeconds = 3;
  CaptureRecorder recorder(format.BytesPerSecond() * (kSeconds + 2));
  const uint32_t handle = library_.RecordStart(format.frequency, format.channels, format.flags,
                                               CaptureRecorder::Collect, &recorder);
  ASSERT_NE(handle, 0u) << library_.ErrorGetCode();
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

INSTANTIATE_TEST_SUITE_P(Formats, PulseToneTest,
                         ::testing::Values(ToneFormat{44100, 2, 0}, ToneFormat{8000, 1, kRecord8Bits},
                                           ToneFormat{22050, 2, kRecord8Bits}, ToneFormat{96000, 1, 0}),
                         [](const auto& info) {
                           return std::to_string(info.param.frequency) + "Hz_" +
                                  std::to_string(info.param.Bits()) + "bit_" +
                                  std::to_string(info.param.channels) + "ch";
                         });

TEST_F(PulseLibraryTest, ErrorCodesOfTheProgramsTable) {
  PulseAudioLibrary fresh;
  EXPECT_EQ(fresh.RecordStart(44100, 2, 0, Count, &probe_), 0u);
  EXPECT_EQ(fresh.ErrorGetCode(), 8) << "before Init";
  EXPECT_FALSE(fresh.RecordInit(-1));
  EXPECT_EQ(fresh.ErrorGetCode(), 8);

  EXPECT_FALSE(library_.Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(library_.ErrorGetCode(), 14) << "initialised twice";
  EXPECT_EQ(library_.RecordStart(44100, 2, 0, Count, &probe_), 0u);
  EXPECT_EQ(library_.ErrorGetCode(), 8) << "no device selected";
  EXPECT_FALSE(library_.RecordInit(static_cast<int>(Devices().size())));
  EXPECT_EQ(library_.ErrorGetCode(), 37);
  EXPECT_FALSE(library_.RecordInit(-2));
  EXPECT_EQ(library_.ErrorGetCode(), 37);
  EXPECT_EQ(library_.RecordStart(44100, 2, 0, Count, &probe_), 0u) << "a failed RecordInit selects nothing";
  EXPECT_EQ(library_.ErrorGetCode(), 8);

  SelectDefault();
  const struct {
    uint32_t frequency;
    uint32_t channels;
  } unusable[] = {{0, 2}, {44100, 0}, {44100, 3}, {0x80000000u, 2}, {0xFFFFFFFFu, 1}};
  for (const auto& format : unusable) {
    EXPECT_EQ(library_.RecordStart(format.frequency, format.channels, 0, Count, &probe_), 0u)
        << format.frequency << " Hz, " << format.channels << " channels";
    EXPECT_EQ(library_.ErrorGetCode(), 6);
  }
}

TEST_F(PulseLibraryTest, InitNeedsAnExistingOutputDevice) {
  library_.Free();
  EXPECT_TRUE(library_.Init(1, 44100, 0, nullptr, nullptr)) << "the fixture's null sink";
  library_.Free();
  EXPECT_FALSE(library_.Init(1000, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(library_.ErrorGetCode(), 37);
  EXPECT_FALSE(library_.Init(-2, 44100, 0, nullptr, nullptr));
  EXPECT_TRUE(library_.Init(0, 44100, 0, nullptr, nullptr)) << "usable again after a failed Init";
}

TEST_F(PulseLibraryTest, OneChannelPerDeviceAndHandlesAreNeverReused) {
  SelectDefault();
  const uint32_t first = library_.RecordStart(44100, 2, 0, Count, &probe_);
  ASSERT_NE(first, 0u) << library_.ErrorGetCode();
  EXPECT_EQ(library_.RecordStart(8000, 1, 0, Count, &probe_), 0u);
  EXPECT_EQ(library_.ErrorGetCode(), 14);
  EXPECT_TRUE(library_.ChannelStop(first));
  const uint32_t second = library_.RecordStart(44100, 2, 0, Count, &probe_);
  ASSERT_NE(second, 0u);
  EXPECT_GT(second, first);
  EXPECT_FALSE(library_.ChannelStop(first)) << "a stale handle leaves the new channel alone";
  EXPECT_TRUE(library_.ChannelIsActive(second));
  EXPECT_FALSE(library_.ChannelStop(0));
  EXPECT_FALSE(library_.ChannelIsActive(0));
  EXPECT_EQ(library_.ChannelGetLevel(12345), 0u);

  // Another device may capture at the same time.
  const int monitor = FindDevice("Monitor of Null Output");
  ASSERT_GE(monitor, 0);
  ASSERT_TRUE(library_.RecordInit(monitor));
  const uint32_t third = library_.RecordStart(48000, 1, 0, Count, &probe_);
  EXPECT_GT(third, second) << library_.ErrorGetCode();
  EXPECT_TRUE(library_.ChannelIsActive(second));
}

TEST_F(PulseLibraryTest, NoCallbackRunsOnceChannelStopHasReturned) {
  SelectDefault();
  probe_.pause = 30ms;  // the stop very likely lands while a callback runs
  const uint32_t handle = library_.RecordStart(44100, 2, 0, Count, &probe_);
  ASSERT_NE(handle, 0u) << library_.ErrorGetCode();
  ASSERT_TRUE(WaitForCalls(probe_, 3));
  EXPECT_EQ(probe_.last_channel, handle);
  EXPECT_TRUE(library_.ChannelStop(handle));
  EXPECT_FALSE(probe_.inside) << "ChannelStop returned while a callback still ran";
  const int calls = probe_.calls;
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(probe_.calls, calls);
  EXPECT_FALSE(library_.ChannelIsActive(handle));
  EXPECT_FALSE(library_.ChannelStop(handle));
}

TEST_F(PulseLibraryTest, ACallbackThatSaysStopEndsTheChannel) {
  SelectDefault();
  probe_.go_on = false;
  const uint32_t handle = library_.RecordStart(44100, 2, 0, Count, &probe_);
  ASSERT_NE(handle, 0u);
  ASSERT_TRUE(WaitForCalls(probe_, 1));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(probe_.calls, 1);
  EXPECT_FALSE(library_.ChannelIsActive(handle));
}

TEST_F(PulseLibraryTest, RecordFreeStopAndFreeCloseEveryChannelAndMayRepeat) {
  SelectDefault();
  const uint32_t handle = library_.RecordStart(44100, 2, 0, Count, &probe_);
  ASSERT_NE(handle, 0u);
  EXPECT_TRUE(library_.RecordFree());
  EXPECT_FALSE(library_.ChannelIsActive(handle));
  EXPECT_TRUE(library_.RecordFree());
  EXPECT_EQ(library_.RecordStart(44100, 2, 0, Count, &probe_), 0u) << "RecordFree forgets the device";
  EXPECT_EQ(library_.ErrorGetCode(), 8);
  SelectDefault();
  ASSERT_NE(library_.RecordStart(44100, 2, 0, Count, &probe_), 0u);
  EXPECT_TRUE(library_.Stop());
  EXPECT_TRUE(library_.Stop());
  EXPECT_TRUE(library_.Free());
  EXPECT_TRUE(library_.Free());
  const int calls = probe_.calls;
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(probe_.calls, calls);
  EXPECT_EQ(library_.RecordStart(44100, 2, 0, Count, &probe_), 0u);
  EXPECT_EQ(library_.ErrorGetCode(), 8);
}

}  // namespace
}  // namespace orvimo::capture
