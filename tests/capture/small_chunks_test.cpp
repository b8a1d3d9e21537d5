// Capture from the monitor of a sink that a player feeds in small chunks, the set-up in which a capture
// that takes one chunk per wake-up falls behind real time until the server drops audio. The PulseAudio
// backend must keep real time over 20 s; the SDL backend's figure is only reported.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "capture/pulse_audio_library.h"
#include "capture/sdl_audio_library.h"
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

constexpr int kCaptureSeconds = 20;
constexpr uint32_t kBytesPerSecond = 44100 * 4;

struct Throughput {
  double real_time_share = 0;  // bytes delivered over the bytes of the time that passed
  double buffers_per_second = 0;
  ToneMeasurement tone;
};

int FindDevice(AudioLibrary& library, const std::string& description) {
  for (int device = 0;; ++device) {
    const auto found = library.RecordGetDeviceDescription(device);
    if (!found) {
      return -1;
    }
    if (*found == description) {
      return device;
    }
  }
}

// Captures 44100 Hz stereo from the sink's monitor for kCaptureSeconds, counted from half a second after
// the first buffer, when the stream has settled.
Throughput Capture(AudioLibrary& library, const SmallChunkSink& sink) {
  Throughput result;
  const int monitor = FindDevice(library, sink.MonitorDescription());
  EXPECT_GE(monitor, 0) << "no " << sink.MonitorDescription();
  if (monitor < 0 || !library.RecordInit(monitor)) {
    return result;
  }
  CaptureRecorder recorder(kBytesPerSecond * (kCaptureSeconds + 5));
  const uint32_t handle = library.RecordStart(44100, 2, 0, CaptureRecorder::Collect, &recorder);
  EXPECT_NE(handle, 0u) << library.ErrorGetCode();
  if (handle == 0) {
    return result;
  }
  if (recorder.WaitForBytes(1, 4s)) {
    const auto start = recorder.FirstBufferTime() + 500ms;
    std::this_thread::sleep_until(start);
    const size_t start_bytes = recorder.Size();
    const int start_buffers = recorder.Callbacks();
    std::this_thread::sleep_until(start + std::chrono::seconds(kCaptureSeconds));
    const size_t end_bytes = recorder.Size();
    const int end_buffers = recorder.Callbacks();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.real_time_share = static_cast<double>(end_bytes - start_bytes) / (seconds * kBytesPerSecond);
    result.buffers_per_second = (end_buffers - start_buffers) / seconds;
  }
  EXPECT_TRUE(library.ChannelIsActive(handle));
  library.ChannelStop(handle);
  const std::vector<uint8_t> bytes = recorder.Bytes();
  // The last second: the tone has long set in.
  const std::vector<double> left = SideSamples(bytes, 16, 2, 0);
  if (left.size() > 44100) {
    result.tone = MeasureTone(std::vector<double>(left.end() - 44100, left.end()), 44100);
  }
  return result;
}

class SmallChunksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.LoadEnvironment()) << "no pulse.env: is the pulse fixture running?";
  }

  PulseSession session_{ORVIMO_PULSE_DIR};
};

TEST_F(SmallChunksTest, PulseBackendKeepsRealTimeWhereSdlFallsBehind) {
  SmallChunkSink sink("orvimo_small_chunks");
  ASSERT_TRUE(sink.Loaded());
  ASSERT_TRUE(sink.Play(2 * kCaptureSeconds + 15, ORVIMO_PULSE_DIR));

  PulseAudioLibrary pulse;
  ASSERT_TRUE(pulse.Init(-1, 44100, 0, nullptr, nullptr));
  const Throughput pulse_result = Capture(pulse, sink);
  pulse.Free();

  SdlAudioLibrary sdl;
  ASSERT_TRUE(sdl.Init(-1, 44100, 0, nullptr, nullptr));
  const Throughput sdl_result = Capture(sdl, sink);
  sdl.Free();

  std::printf(
      "share of real time captured in %d s: PulseAudio backend %.1f %% in %.0f buffers/s, SDL "
      "backend %.1f %% in %.0f buffers/s\n",
      kCaptureSeconds, 100 * pulse_result.real_time_share, pulse_result.buffers_per_second,
      100 * sdl_result.real_time_share, sdl_result.buffers_per_second);
  RecordProperty("pulse_real_time_permille", static_cast<int>(1000 * pulse_result.real_time_share));
  RecordProperty("sdl_real_time_permille", static_cast<int>(1000 * sdl_result.real_time_share));

  EXPECT_GE(pulse_result.real_time_share, 0.98);
  EXPECT_LE(pulse_result.real_time_share, 1.02) << "more than real time: something was delivered twice";
  // The millisecond chunks reach the program gathered into buffers of about 20 ms.
  EXPECT_LE(pulse_result.buffers_per_second, 80);
  // Sound, not silence of the right length. The player itself underruns now and then at such a small
  // latency, so the tone has short gaps and its pitch is measured by the tone tests instead.
  EXPECT_NEAR(pulse_result.tone.amplitude, 16384, 16384 * 0.1);
}

}  // namespace
}  // namespace orvimo::capture
