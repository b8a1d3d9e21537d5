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

// Slices of 2 frames (a stand-in for the meter's 20 ms): a delivery of several slices is replayed one
// slice per read, and once more wait than the last delivery brought, the oldest merge into one read.
TEST(PeakMeterTest, ReplaysADeliverySliceBySliceAtMostOneDeliveryBehind) {
  PeakMeter meter(2);
  const auto first = Samples16({100, 1, 200, 2, 300, 3, 400, 4, 500, 5, 600, 6});  // 3 slices
  const auto second = Samples16({7000, 7, 8000, 8, 9000, 9});                      // 1.5 slices
  const auto third = Samples16({10, 1, 20, 2});                                    // completes one
  meter.Measure(first.data(), static_cast<uint32_t>(first.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(200, 2));
  EXPECT_EQ(meter.Take(), Level(400, 4));
  meter.Measure(second.data(), static_cast<uint32_t>(second.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(8000, 8)) << "two slices wait after a delivery of one: they merge";
  meter.Measure(third.data(), static_cast<uint32_t>(third.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(9000, 9)) << "the half slice completes with the next buffer";
  EXPECT_EQ(meter.Take(), Level(9000, 9)) << "held";
  // More at once than the slices kept: the overwritten ones are never read.
  std::vector<uint8_t> loud_then_quiet;
  for (uint32_t frame = 0; frame < 2 * PeakMeter::kKeptSlices * 3; ++frame) {
    const auto sample = Samples16({frame < 2 * PeakMeter::kKeptSlices ? int16_t{30000} : int16_t{5}, 0});
    loud_then_quiet.insert(loud_then_quiet.end(), sample.begin(), sample.end());
  }
  meter.Measure(loud_then_quiet.data(), static_cast<uint32_t>(loud_then_quiet.size()), 16, 2);
  EXPECT_EQ(meter.Take(), Level(5, 0));
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
  std::vector<uint8_t> buffer(160, 128);  // the meter's 20 ms at 8 kHz
  buffer[1] = 0;
  channel.HandOver(buffer.data(), 159);
  EXPECT_EQ(received.calls, 1u);
  EXPECT_EQ(received.channel, 7u);
  EXPECT_EQ(received.buffer, buffer.data());
  EXPECT_EQ(received.length, 159u);
  EXPECT_EQ(channel.TakeLevel(), 0u) << "no 20 ms slice is complete yet";
  channel.HandOver(buffer.data(), 1);
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
