#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "capture/win32/wave_in_audio_library.h"

namespace orvimo::capture {
namespace {

bool Ignore(uint32_t, const void*, uint32_t, void*) { return true; }

// Tells the test script that the capture runs: it creates the file the script named, a Unix path
// that Wine's drive Z: reaches.
void MarkStarted() {
  const char* mark = std::getenv("ORVIMO_CAPTURE_STARTED_MARK");
  ASSERT_NE(mark, nullptr);
  std::ofstream(std::string("Z:") + mark) << "started\n";
}

// The test script ends this program's private sound server once the capture runs: the channel must
// then report its device gone, and still stop cleanly.
TEST(WaveInLostTest, ASoundServerThatEndsIsNoticed) {
  WaveInAudioLibrary library;
  ASSERT_TRUE(library.Init(-1, 44100, 0, nullptr, nullptr));
  ASSERT_TRUE(library.RecordInit(-1));
  const uint32_t handle = library.RecordStart(44100, 2, 0, Ignore, nullptr);
  ASSERT_NE(handle, 0u) << library.ErrorGetCode();
  ASSERT_TRUE(library.ChannelIsActive(handle));
  MarkStarted();

  int waited = 0;
  while (library.ChannelIsActive(handle) && waited < 15000) {
    Sleep(100);
    waited += 100;
  }
  EXPECT_FALSE(library.ChannelIsActive(handle)) << "still active after " << waited << " ms";
  EXPECT_TRUE(library.ChannelStop(handle));
}

}  // namespace
}  // namespace orvimo::capture
