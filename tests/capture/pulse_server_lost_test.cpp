// The PulseAudio backend and the backend choice when the sound server ends, is missing or comes back.
// These tests start and kill a daemon of their own, so the shared one of the other tests lives on.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "capture/audio_backend.h"
#include "capture/pulse_audio_library.h"
#include "capture/sdl_audio_library.h"
#include "capture_recorder.h"
#include "pulse_session.h"

#ifndef ORVIMO_LOST_PULSE_DIR
#error "ORVIMO_LOST_PULSE_DIR must name a directory for this test's own daemon"
#endif

namespace orvimo::capture {
namespace {

using namespace std::chrono_literals;

class PulseServerLostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Start());
    ASSERT_TRUE(session_.LoadEnvironment());
    unsetenv(kAudioBackendVariable);
  }
  void TearDown() override {
    library_.Free();
    session_.Stop();
    unsetenv(kAudioBackendVariable);
  }

  // Polls, at most 5 s, until the channel turns inactive.
  bool TurnsInactive(uint32_t handle) {
    for (int polls = 0; polls < 100; ++polls) {
      if (!library_.ChannelIsActive(handle)) {
        return true;
      }
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  PulseSession session_{ORVIMO_LOST_PULSE_DIR};
  PulseAudioLibrary library_;
};

TEST_F(PulseServerLostTest, AChannelWhoseServerEndedTurnsInactiveAndTheNextOneReconnects) {
  ASSERT_TRUE(library_.Init(-1, 44100, 0, nullptr, nullptr));
  ASSERT_TRUE(library_.RecordInit(-1));
  CaptureRecorder recorder(176400 * 20);
  const uint32_t handle = library_.RecordStart(44100, 2, 0, CaptureRecorder::Collect, &recorder);
  ASSERT_NE(handle, 0u) << library_.ErrorGetCode();
  ASSERT_TRUE(recorder.WaitForBytes(1, 4s));
  EXPECT_TRUE(library_.ChannelIsActive(handle));

  ASSERT_TRUE(session_.Stop());
  EXPECT_TRUE(TurnsInactive(handle)) << "still active 5 s after the server ended";
  const int callbacks = recorder.Callbacks();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(recorder.Callbacks(), callbacks) << "buffers handed over after the server ended";

  // The program stops the lost channel and opens the next one: no server, no channel, no hang.
  EXPECT_TRUE(library_.ChannelStop(handle));
  EXPECT_EQ(library_.RecordStart(44100, 2, 0, CaptureRecorder::Collect, &recorder), 0u);
  EXPECT_EQ(library_.ErrorGetCode(), 37);

  // A server that comes back is found again by the next start.
  ASSERT_TRUE(session_.Start());
  CaptureRecorder again(176400 * 20);
  const uint32_t next = library_.RecordStart(44100, 2, 0, CaptureRecorder::Collect, &again);
  ASSERT_NE(next, 0u) << library_.ErrorGetCode();
  EXPECT_GT(next, handle);
  EXPECT_TRUE(again.WaitForBytes(1, 4s));
  EXPECT_TRUE(library_.ChannelIsActive(next));
  EXPECT_TRUE(library_.RecordGetDeviceDescription(0));
  EXPECT_TRUE(library_.Free());
}

TEST_F(PulseServerLostTest, WithoutAServerInitFailsAndSdlIsChosen) {
  ASSERT_TRUE(session_.Stop());
  EXPECT_FALSE(PulseAudioLibrary::IsServerReachable());
  EXPECT_FALSE(library_.Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(library_.ErrorGetCode(), 37);
  EXPECT_FALSE(library_.RecordGetDeviceDescription(0));
  EXPECT_EQ(ChooseAudioBackend(), AudioBackend::Sdl);

  setenv(kAudioBackendVariable, "pulse", 1);
  EXPECT_EQ(ChooseAudioBackend(), AudioBackend::Pulse) << "forced, even without a server";
  EXPECT_NE(dynamic_cast<PulseAudioLibrary*>(CreateAudioLibrary().get()), nullptr);
}

TEST_F(PulseServerLostTest, TheBackendIsPulseWhenAServerAnswersUnlessForced) {
  EXPECT_TRUE(PulseAudioLibrary::IsServerReachable());
  EXPECT_EQ(ChooseAudioBackend(), AudioBackend::Pulse);
  EXPECT_NE(dynamic_cast<PulseAudioLibrary*>(CreateAudioLibrary().get()), nullptr);

  const struct {
    const char* value;
    AudioBackend backend;
  } forced[] = {{"sdl", AudioBackend::Sdl},
                {"SDL", AudioBackend::Sdl},
                {"pulse", AudioBackend::Pulse},
                {"", AudioBackend::Pulse},
                {"alsa", AudioBackend::Pulse}};
  for (const auto& row : forced) {
    setenv(kAudioBackendVariable, row.value, 1);
    EXPECT_EQ(ChooseAudioBackend(), row.backend) << '"' << row.value << '"';
  }
  setenv(kAudioBackendVariable, "sdl", 1);
  EXPECT_NE(dynamic_cast<SdlAudioLibrary*>(CreateAudioLibrary().get()), nullptr);
}

// A socket that takes connections (the kernel queues them) and never says a word: libpulse alone would
// wait half a minute for the server's first reply.
TEST(PulseSilentServerTest, InitGivesUpOnAServerThatNeverAnswers) {
  char dir[] = "/tmp/orvimo-silent.XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/native";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 8), 0);
  setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);

  PulseAudioLibrary library;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(library.Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(library.ErrorGetCode(), 37);
  EXPECT_FALSE(PulseAudioLibrary::IsServerReachable(500ms));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s) << "waited for libpulse's own time-out";
  EXPECT_TRUE(library.Free());

  close(listener);
  unlink(path.c_str());
  rmdir(dir);
}

}  // namespace
}  // namespace orvimo::capture
