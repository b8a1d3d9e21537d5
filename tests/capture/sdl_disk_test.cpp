// The SDL backend on SDL's disk driver, which hands over a file's bytes as they are and silence after
// its end: every byte must reach the callback, in order, once. The driver is chosen through the
// environment of this test process only.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "capture/sdl_audio_library.h"
#include "capture_recorder.h"

#ifndef ORVIMO_TEST_RUNTIME_DIR
#error "ORVIMO_TEST_RUNTIME_DIR must name a directory for the test's files"
#endif

namespace orvimo::capture {
namespace {

using namespace std::chrono_literals;

struct DiskCase {
  const char* name;
  uint32_t frequency;
  uint32_t channels;
  uint32_t flags;
  uint8_t silence;
};

// Bytes that never repeat in a short cycle, so a lost or doubled buffer shows, and never form a run of
// silence that could hide the file's end.
std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  uint32_t state = 12345;
  for (auto& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(1 + (state >> 16) % 126);
  }
  return bytes;
}

class SdlDiskTest : public ::testing::TestWithParam<DiskCase> {};

TEST_P(SdlDiskTest, TheCallbackReceivesTheFileByteForByte) {
  const DiskCase& format = GetParam();
  const std::filesystem::path dir = std::filesystem::path(ORVIMO_TEST_RUNTIME_DIR) / "disk";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / (std::string(format.name) + ".raw");
  // Not a whole number of buffers, so the last one is part file, part silence.
  const std::vector<uint8_t> content = Pattern(100000 + 3 * 2 * format.channels);
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILEIN", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);

  SdlAudioLibrary library;
  ASSERT_TRUE(library.Init(-1, 44100, 0, nullptr, nullptr));
  ASSERT_TRUE(library.RecordInit(-1));
  const size_t wanted = content.size() + 20000;
  CaptureRecorder recorder(wanted);
  const uint32_t handle = library.RecordStart(format.frequency, format.channels, format.flags,
                                              CaptureRecorder::Collect, &recorder);
  ASSERT_NE(handle, 0u) << library.ErrorGetCode();
  ASSERT_TRUE(recorder.WaitForBytes(wanted, 10s));
  ASSERT_TRUE(library.ChannelStop(handle));

  const std::vector<uint8_t> received = recorder.Bytes();
  const std::vector<uint8_t> head(received.begin(),
                                  received.begin() + static_cast<std::ptrdiff_t>(content.size()));
  EXPECT_TRUE(head == content) << "the file's bytes came changed, out of order, lost or doubled";
  const auto tail_is_silence =
      std::all_of(received.begin() + static_cast<std::ptrdiff_t>(content.size()), received.end(),
                  [&](uint8_t byte) { return byte == format.silence; });
  EXPECT_TRUE(tail_is_silence);
  library.Free();
}

INSTANTIATE_TEST_SUITE_P(Formats, SdlDiskTest,
                         ::testing::Values(DiskCase{"stereo16", 44100, 2, 0, 0},
                                           DiskCase{"mono8", 8000, 1, kRecord8Bits, 128}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvimo::capture
