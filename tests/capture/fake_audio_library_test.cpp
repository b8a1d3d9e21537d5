#include "support/fake_audio_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace orvimo::capture {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

struct Sink {
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> lengths;
  std::thread::id thread;
  uint32_t channel = 0;
  void* user = nullptr;
  bool go_on = true;
  std::chrono::milliseconds pause{0};
  std::atomic<bool> inside{false};
};

bool Collect(uint32_t channel, const void* buffer, uint32_t length, void* user) {
  auto* sink = static_cast<Sink*>(user);
  sink->inside = true;
  std::this_thread::sleep_for(sink->pause);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  sink->bytes.insert(sink->bytes.end(), bytes, bytes + length);
  sink->lengths.push_back(length);
  sink->thread = std::this_thread::get_id();
  sink->channel = channel;
  sink->user = user;
  sink->inside = false;
  return sink->go_on;
}

class FakeAudioLibraryTest : public ::testing::Test {
 protected:
  uint32_t StartChannel(uint32_t frequency, uint32_t channels, uint32_t flags) {
    EXPECT_TRUE(audio.Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_TRUE(audio.RecordInit(0));
    return audio.RecordStart(frequency, channels, flags, Collect, &sink);
  }

  FakeAudioLibrary audio;
  Sink sink;
};

TEST_F(FakeAudioLibraryTest, RecordsEveryCallWithItsArguments) {
  audio.SetDevices({"Mic", "Line"});
  audio.SetInputs({"Master"});
  ASSERT_TRUE(audio.Init(-1, 44100, 0, nullptr, nullptr));
  audio.Start();
  EXPECT_EQ(audio.RecordGetDeviceDescription(1), "Line");
  EXPECT_FALSE(audio.RecordGetDeviceDescription(2));
  audio.RecordFree();
  audio.RecordInit(1);
  EXPECT_EQ(audio.RecordGetInputName(0), "Master");
  EXPECT_FALSE(audio.RecordGetInputName(1));
  const uint32_t handle = audio.RecordStart(44100, 2, 0, Collect, &sink);
  audio.ChannelStop(handle);
  EXPECT_THAT(
      audio.CallNames(),
      ElementsAre("Init", "Start", "RecordGetDeviceDescription", "RecordGetDeviceDescription", "RecordFree",
                  "RecordInit", "RecordGetInputName", "RecordGetInputName", "RecordStart", "ChannelStop"));
  EXPECT_THAT(audio.CallsNamed("RecordStart"),
              ElementsAre(FakeAudioLibrary::Call{"RecordStart", {44100, 2, 0}}));
  EXPECT_EQ(audio.Calls().front(), (FakeAudioLibrary::Call{"Init", {-1, 44100, 0}}));
  EXPECT_EQ(audio.ChannelInfo(handle)->user, &sink);
  EXPECT_EQ(audio.SelectedDevice(), 1);
}

// The rules it shares with the real backends are in capture_contract_test.cpp.
TEST_F(FakeAudioLibraryTest, RefusesAndReportsOnDemand) {
  const uint32_t handle = StartChannel(44100, 2, 0);
  EXPECT_EQ(audio.ChannelGetDropouts(handle), DropoutCount{});
  EXPECT_TRUE(audio.ReportDropout(handle, 1764));
  EXPECT_TRUE(audio.ReportDropout(handle, 0));
  EXPECT_EQ(audio.ChannelGetDropouts(handle), (DropoutCount{2, 1764}));
  audio.ChannelStop(handle);
  EXPECT_FALSE(audio.ReportDropout(handle, 1764));
  EXPECT_EQ(audio.ChannelGetDropouts(handle), DropoutCount{});

  audio.RefuseRecordStart(37);
  EXPECT_EQ(audio.RecordStart(44100, 2, 0, Collect, &sink), 0u);
  EXPECT_EQ(audio.ErrorGetCode(), 37);
  audio.RefuseRecordStart(std::nullopt);
  EXPECT_NE(audio.RecordStart(44100, 2, 0, Collect, &sink), 0u);

  FakeAudioLibrary refusing;
  refusing.RefuseInit();
  EXPECT_FALSE(refusing.Init(-1, 44100, 0, nullptr, nullptr));
}

TEST_F(FakeAudioLibraryTest, DeliversOnAThreadOfItsOwnAndWaitsForTheCallback) {
  const uint32_t handle = StartChannel(8000, 1, kRecord8Bits);
  sink.pause = 20ms;
  const std::vector<uint8_t> bytes{1, 2, 3, 250};
  ASSERT_TRUE(audio.Deliver(bytes));
  EXPECT_EQ(sink.bytes, bytes) << "the callback has returned when Deliver does";
  EXPECT_NE(sink.thread, std::this_thread::get_id());
  EXPECT_EQ(sink.channel, handle);
  EXPECT_EQ(sink.user, &sink);
}

TEST_F(FakeAudioLibraryTest, SilenceIsInTheChannelsFormatIn20MillisecondBuffers) {
  StartChannel(8000, 1, kRecord8Bits);
  EXPECT_EQ(audio.DeliverSilence(0.05), 400u);
  EXPECT_THAT(sink.lengths, ElementsAre(160, 160, 80));
  EXPECT_EQ(std::count(sink.bytes.begin(), sink.bytes.end(), 128), 400);
  audio.ChannelStop(audio.CurrentChannel());
  sink.bytes.clear();
  audio.RecordStart(44100, 2, 0, Collect, &sink);
  EXPECT_EQ(audio.DeliverSilence(1.0), 176400u);
  EXPECT_EQ(std::count(sink.bytes.begin(), sink.bytes.end(), 0), 176400);
  EXPECT_EQ(audio.ChannelInfo(audio.CurrentChannel())->bytes_delivered, 176400u);
}

TEST_F(FakeAudioLibraryTest, NothingIsDeliveredToAStoppedLostOrEndedChannel) {
  const uint32_t handle = StartChannel(44100, 2, 0);
  audio.SetLevel(100, 32768);
  EXPECT_EQ(audio.ChannelGetLevel(handle), 100u | (32768u << 16));
  EXPECT_TRUE(audio.ChannelIsActive(handle));
  audio.SetChannelLost(handle);
  EXPECT_FALSE(audio.ChannelIsActive(handle));
  EXPECT_FALSE(audio.Deliver(std::vector<uint8_t>{1, 2, 3, 4}));
  audio.ChannelStop(handle);
  EXPECT_EQ(audio.ChannelGetLevel(handle), 0u);
  EXPECT_EQ(audio.DeliverSilence(1.0), 0u);

  sink.go_on = false;
  const uint32_t ending = audio.RecordStart(44100, 2, 0, Collect, &sink);
  EXPECT_EQ(audio.DeliverSilence(0.1), 3528u) << "only the first buffer";
  EXPECT_FALSE(audio.ChannelIsActive(ending));
  EXPECT_EQ(sink.bytes.size(), 3528u);
}

TEST_F(FakeAudioLibraryTest, ChannelStopWaitsForADeliveryRunningElsewhere) {
  const uint32_t handle = StartChannel(44100, 2, 0);
  sink.pause = 50ms;
  std::thread capture([&] { audio.DeliverSilence(0.2); });
  while (!sink.inside) {
    std::this_thread::yield();
  }
  audio.ChannelStop(handle);
  EXPECT_FALSE(sink.inside) << "ChannelStop returned while a callback ran";
  const size_t delivered = sink.lengths.size();
  capture.join();
  EXPECT_EQ(sink.lengths.size(), delivered);
}

}  // namespace
}  // namespace orvimo::capture
