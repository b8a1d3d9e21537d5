// The PulseAudio backend against the private daemon of the "pulse" test fixture: the device list, a
// tone played into the null sink coming back in the format asked for, the guarantees of ChannelStop and
// the dropouts of a reader held back, and the same bytes at the relaxed pace as at the meter's. The rules
// every backend shares are in capture_contract_test.cpp.
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

TEST_F(PulseLibraryTest, InitNeedsAnExistingOutputDevice) {
  library_.Free();
  EXPECT_TRUE(library_.Init(1, 44100, 0, nullptr, nullptr)) << "the fixture's null sink";
  library_.Free();
  EXPECT_FALSE(library_.Init(1000, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(library_.ErrorGetCode(), 37);
  EXPECT_FALSE(library_.Init(-2, 44100, 0, nullptr, nullptr));
  EXPECT_TRUE(library_.Init(0, 44100, 0, nullptr, nullptr)) << "usable again after a failed Init";
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

// Holds the reader back once, as a disk that stalls would: the callback runs on the capture thread.
struct StallingSink {
  std::chrono::milliseconds stall{0};
  std::chrono::steady_clock::time_point first;
  std::atomic<uint64_t> bytes{0};
  bool stalled = false;
};

bool StallOnce(uint32_t /*channel*/, const void* /*buffer*/, uint32_t length, void* user) {
  auto* sink = static_cast<StallingSink*>(user);
  const auto now = std::chrono::steady_clock::now();
  if (sink->bytes == 0) {
    sink->first = now;
  }
  if (!sink->stalled && sink->stall > 0ms && now - sink->first > 1s) {
    sink->stalled = true;
    std::this_thread::sleep_for(sink->stall);
  }
  sink->bytes += length;
  return true;
}

// With half a second of stream buffer the server still keeps some six seconds for a reader that falls
// behind (measured at 44.1 and 192 kHz alike: its queue and what is in flight); a reader held back for
// eight drops the rest, and the count says about how much. An ordinary capture counts nothing.
TEST_F(PulseLibraryTest, AReaderHeldBackCountsItsDropoutsAndAnOrdinaryCaptureNone) {
  constexpr uint32_t kRate = 44100;
  constexpr double kBytesPerSecond = kRate * 4.0;
  const struct {
    std::chrono::milliseconds stall;
    bool dropped;
  } cases[] = {{0ms, false}, {8000ms, true}};
  for (const auto& c : cases) {
    PulseAudioLibrary library(PulseAudioLibrary::Options{500ms});
    ASSERT_TRUE(library.Init(-1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(library.RecordInit(-1));
    StallingSink sink;
    sink.stall = c.stall;
    const uint32_t handle = library.RecordStart(kRate, 2, 0, StallOnce, &sink);
    ASSERT_NE(handle, 0u) << library.ErrorGetCode();
    std::this_thread::sleep_for(c.stall + 5s);
    const DropoutCount dropouts = library.ChannelGetDropouts(handle);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - sink.first).count();
    const double missing = seconds - static_cast<double>(sink.bytes) / kBytesPerSecond;
    ASSERT_TRUE(library.ChannelStop(handle));
    if (!c.dropped) {
      EXPECT_EQ(dropouts, DropoutCount{}) << missing << " s missing";
      continue;
    }
    ASSERT_GT(missing, 0.5) << "the server kept everything; hold the reader back longer";
    EXPECT_GE(dropouts.count, 1u);
    EXPECT_NEAR(static_cast<double>(dropouts.bytes_lost) / kBytesPerSecond, missing, 0.3);
  }
}

// The offset in `in` at which `bytes` starts, looked for in whole frames; -1 when it is not there.
std::ptrdiff_t FindBytes(const std::vector<uint8_t>& in, const std::vector<uint8_t>& bytes, size_t frame) {
  for (size_t at = 0; at + bytes.size() <= in.size(); at += frame) {
    if (std::equal(bytes.begin(), bytes.end(), in.begin() + static_cast<std::ptrdiff_t>(at))) {
      return static_cast<std::ptrdiff_t>(at);
    }
  }
  return -1;
}

// Two captures of the same noise, one at the meter's pace throughout, the other relaxed and brought
// back again and again: the second must hold exactly the bytes of the first, with nothing lost or
// repeated at a switch, and its relaxed deliveries must really be larger.
TEST_F(PulseLibraryTest, ARelaxedCaptureHoldsTheSameBytesAsOneAtTheMetersPace) {
  constexpr uint32_t kRate = 44100;
  constexpr uint32_t kFrame = 4;
  constexpr uint32_t kBytesPerSecond = kRate * kFrame;
  PulseAudioLibrary switching;
  ASSERT_TRUE(switching.Init(-1, kRate, 0, nullptr, nullptr));
  ASSERT_TRUE(switching.RecordInit(-1));
  SelectDefault();
  CaptureRecorder steady(kBytesPerSecond * 12);
  CaptureRecorder relaxed(kBytesPerSecond * 12);
  const uint32_t steady_handle = library_.RecordStart(kRate, 2, 0, CaptureRecorder::Collect, &steady);
  ASSERT_NE(steady_handle, 0u) << library_.ErrorGetCode();
  const uint32_t relaxed_handle = switching.RecordStart(kRate, 2, 0, CaptureRecorder::Collect, &relaxed);
  ASSERT_NE(relaxed_handle, 0u) << switching.ErrorGetCode();
  ASSERT_TRUE(relaxed.WaitForBytes(1, 4s));
  player_ = session_.PlayNoise(10);
  ASSERT_GT(player_, 0);
  std::this_thread::sleep_for(1s);  // past the player's start, where the sink may rewind
  const size_t skipped = relaxed.Size();
  for (const bool low_power : {true, false, true, false, true, false}) {
    switching.SetLowPower(low_power);
    std::this_thread::sleep_for(low_power ? 1200ms : 500ms);
  }
  switching.ChannelStop(relaxed_handle);
  library_.ChannelStop(steady_handle);

  // Relaxed, nothing is handed over below half a second; at the meter's pace a delivery is at most 24 KiB.
  EXPECT_GE(relaxed.LargestBuffer(), kBytesPerSecond / 5) << "the relaxed pace never set in";
  const std::vector<uint8_t> all = steady.Bytes();
  const std::vector<uint8_t> tail = relaxed.Bytes();
  ASSERT_GT(tail.size(), skipped + kBytesPerSecond * 4);
  const std::vector<uint8_t> cue(tail.begin() + static_cast<std::ptrdiff_t>(skipped),
                                 tail.begin() + static_cast<std::ptrdiff_t>(skipped + 4096));
  const std::ptrdiff_t at = FindBytes(all, cue, kFrame);
  ASSERT_GE(at, 0) << "the two captures never met";
  const size_t common = std::min(all.size() - static_cast<size_t>(at), tail.size() - skipped);
  ASSERT_GT(common, kBytesPerSecond * 4u);
  const auto mismatch =
      std::mismatch(tail.begin() + static_cast<std::ptrdiff_t>(skipped),
                    tail.begin() + static_cast<std::ptrdiff_t>(skipped + common), all.begin() + at);
  EXPECT_EQ(mismatch.first - tail.begin(), static_cast<std::ptrdiff_t>(skipped + common))
      << "the captures part at byte " << (mismatch.first - tail.begin()) << " of the relaxed one";
}

// A relaxed capture's server holds up to a second or two of audio before it delivers: a flush before
// the stop gets it, so the capture ends no earlier than one at the meter's pace that runs on.
TEST_F(PulseLibraryTest, AFlushBeforeTheStopKeepsTheEndOfARelaxedCapture) {
  constexpr uint32_t kRate = 44100;
  constexpr uint32_t kFrame = 4;
  PulseAudioLibrary relaxedLibrary;
  relaxedLibrary.SetLowPower(true);
  ASSERT_TRUE(relaxedLibrary.Init(-1, kRate, 0, nullptr, nullptr));
  ASSERT_TRUE(relaxedLibrary.RecordInit(-1));
  SelectDefault();
  CaptureRecorder steady(kRate * kFrame * 12);
  CaptureRecorder relaxed(kRate * kFrame * 12);
  player_ = session_.PlayNoise(10);
  ASSERT_GT(player_, 0);
  const uint32_t steady_handle = library_.RecordStart(kRate, 2, 0, CaptureRecorder::Collect, &steady);
  ASSERT_NE(steady_handle, 0u) << library_.ErrorGetCode();
  const uint32_t relaxed_handle = relaxedLibrary.RecordStart(kRate, 2, 0, CaptureRecorder::Collect, &relaxed);
  ASSERT_NE(relaxed_handle, 0u) << relaxedLibrary.ErrorGetCode();
  ASSERT_TRUE(relaxed.WaitForBytes(1, 4s));
  std::this_thread::sleep_for(2500ms);
  const size_t steadyAtStop = steady.Size();
  relaxedLibrary.ChannelFlush(relaxed_handle);
  relaxedLibrary.ChannelStop(relaxed_handle);
  std::this_thread::sleep_for(1s);
  library_.ChannelStop(steady_handle);

  const std::vector<uint8_t> all = steady.Bytes();
  const std::vector<uint8_t> tail = relaxed.Bytes();
  ASSERT_GT(tail.size(), 4096u);
  const std::vector<uint8_t> cue(tail.end() - 4096, tail.end());
  const std::ptrdiff_t at = FindBytes(all, cue, kFrame);
  ASSERT_GE(at, 0) << "the relaxed capture's end is not in the steady one";
  const auto end = static_cast<size_t>(at) + cue.size();
  EXPECT_GE(end, steadyAtStop) << "the relaxed capture ends "
                               << static_cast<double>(steadyAtStop - end) / (kRate * kFrame)
                               << " s before what the steady one held at the stop";
}

}  // namespace
}  // namespace orvimo::capture
