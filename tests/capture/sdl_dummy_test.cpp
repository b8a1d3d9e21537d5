// The SDL backend on SDL's dummy driver, which captures silence at the real pace from one default
// device: its device list, its buffers and the guarantees of ChannelStop, without a sound server. The
// rules every backend shares are in capture_contract_test.cpp.
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "capture/sdl_audio_library.h"

namespace orvimo::capture {
namespace {

using namespace std::chrono_literals;

struct Probe {
  std::atomic<int> calls{0};
  std::atomic<bool> inside{false};
  std::atomic<uint32_t> last_length{0};
  std::atomic<uint32_t> last_channel{0};
  std::chrono::milliseconds pause{0};
  bool go_on = true;
};

bool Count(uint32_t channel, const void* /*buffer*/, uint32_t length, void* user) {
  auto* probe = static_cast<Probe*>(user);
  probe->inside = true;
  probe->last_length = length;
  probe->last_channel = channel;
  std::this_thread::sleep_for(probe->pause);
  ++probe->calls;
  probe->inside = false;
  return probe->go_on;
}

// Waits for the capture thread, which runs at its own pace; bounded so a broken capture fails.
bool WaitForCalls(const Probe& probe, int calls) {
  for (int waited = 0; waited < 500 && probe.calls < calls; ++waited) {
    std::this_thread::sleep_for(10ms);
  }
  return probe.calls >= calls;
}

class SdlDummyTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  void TearDown() override { library.Free(); }

  void InitAndSelect() {
    ASSERT_TRUE(library.Init(-1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(library.RecordInit(0));
  }

  SdlAudioLibrary library;
  Probe probe;
};

// The program handles SIGINT and SIGTERM itself; SDL must not put its own handlers in their place.
TEST_F(SdlDummyTest, InitLeavesTheSignalHandlersAlone) {
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  ASSERT_TRUE(library.Init(-1, 44100, 0, nullptr, nullptr));
  struct sigaction action {};
  sigaction(SIGINT, nullptr, &action);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
  sigaction(SIGTERM, nullptr, &action);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
}

TEST_F(SdlDummyTest, TheDefaultDeviceIsDeviceZeroAndNothingFollows) {
  EXPECT_FALSE(library.RecordGetDeviceDescription(0)) << "nothing before Init";
  ASSERT_TRUE(library.Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_TRUE(library.RecordGetDeviceDescription(0));
  EXPECT_FALSE(library.RecordGetDeviceDescription(1));
  EXPECT_FALSE(library.RecordGetDeviceDescription(-1));
  EXPECT_FALSE(library.RecordGetInputName(0));
  EXPECT_FALSE(library.RecordInit(1));
  EXPECT_TRUE(library.RecordInit(0));
}

TEST_F(SdlDummyTest, InitNeedsAnExistingOutputDevice) {
  EXPECT_FALSE(library.Init(2, 44100, 0, nullptr, nullptr)) << "the dummy driver has one output";
  EXPECT_FALSE(library.Init(-2, 44100, 0, nullptr, nullptr));
  EXPECT_TRUE(library.Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(library.Init(0, 44100, 0, nullptr, nullptr)) << "already initialised";
  library.Free();
  EXPECT_TRUE(library.Init(0, 44100, 0, nullptr, nullptr)) << "usable again after Free";
}

TEST_F(SdlDummyTest, DeliversBuffersOfAbout20MillisecondsInTheFormatAsked) {
  InitAndSelect();
  const struct {
    uint32_t frequency, channels, flags, expected_length;
  } formats[] = {{44100, 2, 0, 1024 * 4}, {8000, 1, kRecord8Bits, 128}, {22050, 1, 0, 512 * 2}};
  for (const auto& format : formats) {
    Probe format_probe;
    const uint32_t handle =
        library.RecordStart(format.frequency, format.channels, format.flags, Count, &format_probe);
    ASSERT_NE(handle, 0u) << library.ErrorGetCode();
    ASSERT_TRUE(WaitForCalls(format_probe, 2));
    EXPECT_EQ(format_probe.last_length, format.expected_length);
    EXPECT_EQ(format_probe.last_channel, handle);
    EXPECT_TRUE(library.ChannelIsActive(handle));
    EXPECT_EQ(library.ChannelGetLevel(handle), 0u) << "silence, also for 8-bit samples";
    EXPECT_TRUE(library.ChannelStop(handle));
  }
}

TEST_F(SdlDummyTest, NoCallbackRunsOnceChannelStopHasReturned) {
  InitAndSelect();
  probe.pause = 30ms;  // the stop very likely lands while a callback runs
  const uint32_t handle = library.RecordStart(44100, 2, 0, Count, &probe);
  ASSERT_NE(handle, 0u);
  ASSERT_TRUE(WaitForCalls(probe, 3));
  EXPECT_TRUE(library.ChannelStop(handle));
  EXPECT_FALSE(probe.inside) << "ChannelStop returned while a callback still ran";
  const int calls = probe.calls;
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(probe.calls, calls);
  EXPECT_FALSE(library.ChannelIsActive(handle));
  EXPECT_EQ(library.ChannelGetLevel(handle), 0u);
}

TEST(SdlBufferFramesTest, PowerOfTwoNearestTo20Milliseconds) {
  const struct {
    uint32_t frequency;
    uint16_t frames;
  } table[] = {{44100, 1024}, {48000, 1024}, {8000, 128}, {11025, 256},
               {22050, 512},  {96000, 2048}, {1, 16},     {50000000, 32768}};
  for (const auto& row : table) {
    EXPECT_EQ(SdlAudioLibrary::BufferFrames(row.frequency), row.frames) << row.frequency;
  }
}

}  // namespace
}  // namespace orvimo::capture
