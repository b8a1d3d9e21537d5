// The SDL backend when the sound server goes away under a running channel. This test starts and kills
// a daemon of its own, so the shared one of the other tests lives on.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "capture/sdl_audio_library.h"
#include "capture_recorder.h"
#include "pulse_session.h"

#ifndef ORVIMO_LOST_PULSE_DIR
#error "ORVIMO_LOST_PULSE_DIR must name a directory for this test's own daemon"
#endif

namespace orvimo::capture {
namespace {

using namespace std::chrono_literals;

class SdlDeviceLostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Start());
    ASSERT_TRUE(session_.LoadEnvironment());
  }
  void TearDown() override {
    library_.Free();
    session_.Stop();
  }

  PulseSession session_{ORVIMO_LOST_PULSE_DIR};
  SdlAudioLibrary library_;
};

TEST_F(SdlDeviceLostTest, AChannelWhoseServerEndedTurnsInactiveAndStillStops) {
  ASSERT_TRUE(library_.Init(-1, 44100, 0, nullptr, nullptr));
  ASSERT_TRUE(library_.RecordInit(-1));
  CaptureRecorder recorder(176400 * 20);
  const uint32_t handle = library_.RecordStart(44100, 2, 0, CaptureRecorder::Collect, &recorder);
  ASSERT_NE(handle, 0u) << library_.ErrorGetCode();
  ASSERT_TRUE(recorder.WaitForBytes(1, 4s));
  EXPECT_TRUE(library_.ChannelIsActive(handle));

  ASSERT_TRUE(session_.Stop());
  bool active = true;
  for (int polls = 0; polls < 100 && active; ++polls) {
    std::this_thread::sleep_for(50ms);
    active = library_.ChannelIsActive(handle);
  }
  EXPECT_FALSE(active) << "still active 5 s after the server ended";
  // SDL goes on calling back with silence of its own; none of it may reach the program.
  const int callbacks = recorder.Callbacks();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(recorder.Callbacks(), callbacks) << "buffers handed over after the device was lost";
  EXPECT_TRUE(library_.ChannelStop(handle));
  EXPECT_EQ(library_.ChannelGetLevel(handle), 0u);
  EXPECT_TRUE(library_.Free());
}

}  // namespace
}  // namespace orvimo::capture
