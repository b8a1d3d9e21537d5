#include "recording/recording_state.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace orvimo {
namespace {

namespace fs = std::filesystem;

class RecordCallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (fs::temp_directory_path() /
             ("orvimo_callback_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav"))
                .string();
    state_.OutStream = OutputFile::Create(path_);
    state_.OutStream->WriteHeader(MakeWaveHeader(1, 8000, 8));
  }
  void TearDown() override {
    state_.OutStream.reset();
    std::error_code ignored;
    fs::remove(path_, ignored);
  }

  std::string AudioOnDisk() const {
    std::ifstream in(path_, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return bytes.size() < 44 ? std::string() : bytes.substr(44);
  }

  RecordingState state_;
  std::string path_;
};

TEST_F(RecordCallbackTest, BuffersLandInOrderAfterTheHeaderAndPausedOnesAreDropped) {
  EXPECT_TRUE(RecordCallback(7, "one,", 4, &state_));
  state_.Paused = true;
  EXPECT_TRUE(RecordCallback(7, "lost,", 5, &state_));
  state_.Paused = false;
  EXPECT_TRUE(RecordCallback(7, "two", 3, &state_));
  EXPECT_EQ(AudioOnDisk(), "one,two");
  EXPECT_EQ(state_.BytesWritten.load(), 7);
}

TEST_F(RecordCallbackTest, ReaderOnAnotherThreadAlwaysSeesWholeCounts) {
  // Start just below 2^32 so the count crosses from the low half into the high one while it is read.
  constexpr int64_t kStart = 0xFFFFF000;
  constexpr uint32_t kBuffer = 512;
  constexpr int kBuffers = 4000;
  state_.BytesWritten = kStart;
  const std::vector<uint8_t> audio(kBuffer, 0x80);
  std::atomic<bool> done{false};
  int64_t previous = kStart;
  bool whole = true;
  std::thread reader([&] {
    while (!done.load()) {
      const int64_t value = state_.BytesWritten.load();
      whole = whole && value >= previous && (value - kStart) % kBuffer == 0;
      previous = value;
    }
  });
  for (int i = 0; i < kBuffers; ++i) RecordCallback(0, audio.data(), kBuffer, &state_);
  done = true;
  reader.join();
  EXPECT_TRUE(whole);
  EXPECT_EQ(state_.BytesWritten.load(), kStart + int64_t{kBuffer} * kBuffers);
  EXPECT_EQ(AudioOnDisk().size(), std::size_t{kBuffer} * kBuffers);
}

}  // namespace
}  // namespace orvimo
