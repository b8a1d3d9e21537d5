#include "capture/peak_meter.h"

#include <gtest/gtest.h>

#include <vector>

#include "capture/record_channel.h"

namespace orvimo::capture {
namespace {

std::vector<uint8_t> Samples16(std::initializer_list<int16_t> samples) {
  std::vector<uint8_t> bytes;
  for (int16_t sample : samples) {
    const auto bits = static_cast<uint16_t>(sample);
    bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
    bytes.push_back(static_cast<uint8_t>(bits >> 8));
  }
  return bytes;
}

uint32_t Level(uint32_t left, uint32_t right) { return left | (right << 16); }

struct PeakCase {
  const char* name;
  std::vector<uint8_t> bytes;
  uint32_t bits;
  uint32_t channels;
  uint32_t expected;
};

TEST(PeakMeterTest, MeasuresEachSideOnFullScaleOf32768) {
  const PeakCase cases[] = {
      {"16-bit stereo, sides kept apart", Samples16({100, -2000, -300, 50}), 16, 2, Level(300, 2000)},
      {"16-bit most negative is full scale", Samples16({-32768, 32767}), 16, 2, Level(32768, 32767)},
      {"16-bit mono on both sides", Samples16({5, -1234, 999}), 16, 1, Level(1234, 1234)},
      {"16-bit silence", Samples16({0, 0, 0, 0}), 16, 2, 0},
      {"8-bit centre is silence", {128, 128, 128, 128}, 8, 2, 0},
      {"8-bit zero is full scale", {0, 128}, 8, 2, Level(32768, 0)},
      {"8-bit top", {128, 255}, 8, 2, Level(0, 127 * 256)},
      {"8-bit mono on both sides", {130, 120, 128}, 8, 1, Level(8 * 256, 8 * 256)},
      {"trailing partial frame ignored", {1, 0, 0x10, 0, 0xFF, 0x7F}, 16, 2, Level(1, 16)},
  };
  for (const auto& test : cases) {
    PeakMeter meter;
    meter.Measure(test.bytes.data(), static_cast<uint32_t>(test.bytes.size()), test.bits, test.channels);
    EXPECT_EQ(meter.Take(), test.expected) << test.name;
  }
}

TEST(PeakMeterTest, KeepsTheHighestPeakUntilReadThenStartsAgain) {
  PeakMeter meter;
  const auto loud = Samples16({20000, -100});
  const auto quiet = Samples16({10, 30});
  meter.Measure(loud.data(), static_cast<uint32_t>(loud.size()), 16, 2);
  meter.Measure(quiet.data(), static_cast<uint32_t>(quiet.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(20000, 100));
  meter.Measure(quiet.data(), static_cast<uint32_t>(quiet.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(10, 30));
}

TEST(PeakMeterTest, ReadsWithoutANewBufferHoldTheLevelTwiceThenFallSilent) {
  PeakMeter meter;
  const auto loud = Samples16({20000, -100});
  const auto quiet = Samples16({300, -40});
  meter.Measure(loud.data(), static_cast<uint32_t>(loud.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(20000, 100));
  EXPECT_EQ(meter.Take(), Level(20000, 100));
  EXPECT_EQ(meter.Take(), Level(20000, 100));
  EXPECT_EQ(meter.Take(), 0u);
  EXPECT_EQ(meter.Take(), 0u);
  // A buffer between held reads starts the count again.
  meter.Measure(loud.data(), static_cast<uint32_t>(loud.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(20000, 100));
  EXPECT_EQ(meter.Take(), Level(20000, 100));
  meter.Measure(quiet.data(), static_cast<uint32_t>(quiet.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(300, 40));
  EXPECT_EQ(meter.Take(), Level(300, 40));
  EXPECT_EQ(meter.Take(), Level(300, 40));
  EXPECT_EQ(meter.Take(), 0u);
}

struct Received {
  uint32_t calls = 0;
  uint32_t channel = 0;
  const void* buffer = nullptr;
  uint32_t length = 0;
  bool go_on = true;
};

bool Receive(uint32_t channel, const void* buffer, uint32_t length, void* user) {
  auto* received = static_cast<Received*>(user);
  ++received->calls;
  received->channel = channel;
  received->buffer = buffer;
  received->length = length;
  return received->go_on;
}

TEST(RecordChannelTest, HandsTheBufferOverUnchangedAndMeasuresIt) {
  Received received;
  RecordChannel channel(7, SampleFormat{8000, 1, 8}, Receive, &received);
  const std::vector<uint8_t> buffer{128, 0, 200};
  channel.HandOver(buffer.data(), 3);
  EXPECT_EQ(received.calls, 1u);
  EXPECT_EQ(received.channel, 7u);
  EXPECT_EQ(received.buffer, buffer.data());
  EXPECT_EQ(received.length, 3u);
  EXPECT_EQ(channel.TakeLevel(), Level(32768, 32768));
}

TEST(RecordChannelTest, HandsNothingOverOnceTheCallbackSaidStop) {
  Received received;
  received.go_on = false;
  RecordChannel channel(1, SampleFormat{}, Receive, &received);
  const auto buffer = Samples16({1, 2});
  channel.HandOver(buffer.data(), 4);
  EXPECT_TRUE(channel.CallbackEnded());
  channel.HandOver(buffer.data(), 4);
  EXPECT_EQ(received.calls, 1u);
}

}  // namespace
}  // namespace orvimo::capture
