#include "encoding/encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <string>

#include "decoders.h"
#include "memory_sink.h"
#include "test_signal.h"

namespace orvimo {
namespace {

constexpr double kSeconds = 3.0;
constexpr double kFlushSeconds = 0.5;  // the writer's cadence

// The tone's amplitude on one channel of the middle second (away from codec delays and edges), as a
// fraction of full scale, and the share of that second's energy the tone carries.
struct ToneMeasure {
  double amplitude = 0, share = 0;
};

ToneMeasure MeasureTone(const DecodedAudio& audio, int channel, int bits) {
  const double fullScale = bits == 8 ? 128.0 : 32768.0;
  const size_t start = audio.rate, count = audio.rate;
  double sine = 0, cosine = 0, energy = 0;
  for (size_t i = 0; i < count; ++i) {
    const double x = audio.samples[(start + i) * audio.channels + channel] / fullScale;
    const double phase = 2 * std::numbers::pi * kToneHz[channel] * static_cast<double>(i) / audio.rate;
    sine += x * std::sin(phase);
    cosine += x * std::cos(phase);
    energy += x * x;
  }
  const double amplitude = 2 * std::hypot(sine, cosine) / static_cast<double>(count);
  return {amplitude, amplitude * amplitude / 2 / (energy / static_cast<double>(count))};
}

// The PCM a lossless decode must give back, samples at their own width.
std::vector<int32_t> SignedSamples(const std::vector<uint8_t>& pcm, int bits) {
  std::vector<int32_t> samples;
  if (bits == 8) {
    for (uint8_t byte : pcm) samples.push_back(byte - 128);
  } else {
    for (size_t i = 0; i + 1 < pcm.size(); i += 2)
      samples.push_back(static_cast<int16_t>(pcm[i] | pcm[i + 1] << 8));
  }
  return samples;
}

struct Case {
  FileType type;
  SampleFormat format;
};

std::string Describe(const Case& c) {
  return std::string(FileTypeName(c.type)) + " " + std::to_string(c.format.bits) + "-bit " +
         std::to_string(c.format.channels) + "ch " + std::to_string(c.format.rate) + " Hz";
}

// Checks what a file decodes to against the signal whose first `expectedSeconds` it holds:
// FLAC sample for sample, the lossy types by their tones and length.
void ExpectDecodesTo(const Case& c, const DecodedAudio& audio, const std::vector<uint8_t>& pcm,
                     double expectedSeconds, double allowedShortfall) {
  ASSERT_TRUE(audio.ok);
  ASSERT_EQ(audio.channels, c.format.channels);
  EXPECT_GE(audio.Seconds(), expectedSeconds - allowedShortfall);
  // MP3 adds LAME's delay and pads its last frame: about 0.1 s at most at these rates.
  EXPECT_LE(audio.Seconds(), expectedSeconds + 0.1);
  if (c.type == FileType::Flac) {
    EXPECT_EQ(audio.rate, c.format.rate);
    const std::vector<int32_t> input = SignedSamples(pcm, c.format.bits);
    ASSERT_LE(audio.samples.size(), input.size());
    EXPECT_TRUE(std::equal(audio.samples.begin(), audio.samples.end(), input.begin()));
    return;
  }
  // A lossy codec keeps each channel's tone within 10 % (under 1 dB) of its level, and the tone keeps
  // at least 90 % of the energy: the input's noise is 1 % of full scale, the codec's own noise at
  // these bit rates is far below the tone. A swapped, dropped or mis-widened channel fails both.
  for (int channel = 0; channel < c.format.channels; ++channel) {
    const ToneMeasure tone = MeasureTone(audio, channel, 16);
    EXPECT_NEAR(tone.amplitude, kToneAmplitude[channel], 0.1 * kToneAmplitude[channel])
        << "channel " << channel;
    EXPECT_GE(tone.share, 0.9) << "channel " << channel;
  }
}

class EncoderRoundTrip : public testing::TestWithParam<Case> {};

// Encodes three seconds in capture-sized pieces with the writer's flushes, copies the file after the
// last flush as a crash would leave it, then finishes. The finished file decodes to the whole signal;
// the crash copy to all but at most half a second of it (what the encoders hold back), and FLAC's header
// never claims more than it holds.
TEST_P(EncoderRoundTrip, DecodesBackWholeAndAfterACrash) {
  const Case c = GetParam();
  const std::vector<uint8_t> pcm = MakeTestSignal(c.format, kSeconds);
  MemorySink sink;
  auto encoder = MakeEncoder(c.type, c.format, sink);
  const size_t piece = c.format.rate / 10;
  const size_t totalFrames = pcm.size() / c.format.BlockAlign();
  const auto flushFrames = static_cast<size_t>(kFlushSeconds * c.format.rate);
  size_t sinceFlush = 0;
  for (size_t frame = 0; frame < totalFrames; frame += piece) {
    const size_t frames = std::min(piece, totalFrames - frame);
    ASSERT_TRUE(encoder->Encode(pcm.data() + frame * c.format.BlockAlign(), frames));
    sinceFlush += frames;
    if (sinceFlush >= flushFrames) {
      ASSERT_TRUE(encoder->Flush());
      sinceFlush = 0;
    }
  }
  const std::vector<uint8_t> crashCopy = sink.bytes;
  ASSERT_TRUE(encoder->Finish());

  const DecodedAudio whole = DecodeFile(c.type, sink.bytes);
  ExpectDecodesTo(c, whole, pcm, kSeconds, 0.01);
  const DecodedAudio crashed = DecodeFile(c.type, crashCopy);
  ExpectDecodesTo(c, crashed, pcm, kSeconds, 0.5);
  if (c.type == FileType::Flac) {
    EXPECT_EQ(whole.headerFrames, totalFrames);
    EXPECT_TRUE(whole.headerHasMd5);
    EXPECT_GT(crashed.headerFrames, 0u);
    EXPECT_LE(crashed.headerFrames, crashed.samples.size() / c.format.channels);
    EXPECT_FALSE(crashed.headerHasMd5);
  }
}

std::vector<Case> AllCases() {
  const SampleFormat formats[] = {{44100, 2, 16}, {11025, 1, 16}, {22050, 2, 8}, {44100, 1, 8}};
  std::vector<Case> cases;
  for (FileType type : {FileType::Flac, FileType::Opus, FileType::Mp3}) {
    for (const SampleFormat& format : formats) cases.push_back({type, format});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Types, EncoderRoundTrip, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string name = Describe(info.param);
                           std::replace_if(
                               name.begin(), name.end(), [](char ch) { return !std::isalnum(ch); }, '_');
                           return name;
                         });

// What a size limit relies on: no piece of audio, nor the stream's end after it, grows the file past
// what the encoder said beforehand it could. Full-scale noise is the worst case for every codec.
TEST_P(EncoderRoundTrip, NeverGrowsPastItsWorstCase) {
  const Case c = GetParam();
  std::vector<uint8_t> pcm(static_cast<size_t>(2.0 * c.format.BytesPerSecond()));
  uint32_t noise = 1;
  for (uint8_t& byte : pcm) byte = static_cast<uint8_t>((noise = noise * 1664525u + 1013904223u) >> 24);
  MemorySink sink;
  auto encoder = MakeEncoder(c.type, c.format, sink);
  const size_t totalFrames = pcm.size() / c.format.BlockAlign();
  for (size_t frame = 0, piece = 1; frame < totalFrames; frame += piece, piece = piece * 3 + 7) {
    piece = std::min(piece, totalFrames - frame);
    const uint64_t bound = sink.Size() + encoder->MostGrowth(piece);
    ASSERT_TRUE(encoder->Encode(pcm.data() + frame * c.format.BlockAlign(), piece));
    ASSERT_LE(sink.Size(), bound) << "after " << piece << " frames at frame " << frame;
    ASSERT_TRUE(encoder->Flush());
    ASSERT_LE(sink.Size(), bound);
  }
  const uint64_t bound = sink.Size() + encoder->MostGrowth(0);
  ASSERT_TRUE(encoder->Finish());
  EXPECT_LE(sink.Size(), bound);
}

// A full disk: the write that does not fit fails the encoder, and later calls fail without writing,
// even when the disk would take their bytes again: a stream with a hole in it is unreadable.
TEST(EncoderTest, AFailedWriteStopsTheEncoderWithoutTouchingTheFile) {
  const SampleFormat format{44100, 2, 16};
  const std::vector<uint8_t> pcm = MakeTestSignal(format, 2.0);
  for (FileType type : {FileType::Flac, FileType::Opus, FileType::Mp3}) {
    SCOPED_TRACE(std::string(FileTypeName(type)));
    MemorySink sink(8000);
    auto encoder = MakeEncoder(type, format, sink);
    bool encoded = true;
    for (size_t frame = 0; frame + 4410 <= pcm.size() / 4 && encoded; frame += 4410) {
      encoded = encoder->Encode(pcm.data() + frame * 4, 4410) && encoder->Flush();
    }
    EXPECT_FALSE(encoded);
    const std::vector<uint8_t> written = sink.bytes;
    EXPECT_FALSE(encoder->Encode(pcm.data(), 4410));
    EXPECT_FALSE(encoder->Finish());
    EXPECT_EQ(sink.bytes, written);
  }
}

// An encoder dropped without Finish (its recording abandoned) must not complete the stream behind the
// engine's back: the file stays exactly as the last flush left it.
TEST(EncoderTest, AnEncoderDestroyedUnfinishedWritesNothingMore) {
  const SampleFormat format{44100, 2, 16};
  const std::vector<uint8_t> pcm = MakeTestSignal(format, 1.0);
  for (FileType type : {FileType::Flac, FileType::Opus, FileType::Mp3}) {
    SCOPED_TRACE(std::string(FileTypeName(type)));
    MemorySink sink;
    std::vector<uint8_t> flushed;
    {
      auto encoder = MakeEncoder(type, format, sink);
      ASSERT_TRUE(encoder->Encode(pcm.data(), pcm.size() / format.BlockAlign()) && encoder->Flush());
      flushed = sink.bytes;
    }
    EXPECT_EQ(sink.bytes, flushed);
  }
}

TEST(EncoderTest, RefusesFormatsNoCodecTakesAndThePcmTypes) {
  MemorySink sink;
  EXPECT_THROW(MakeEncoder(FileType::Flac, {0, 2, 16}, sink), EncoderError);
  EXPECT_THROW(MakeEncoder(FileType::Opus, {44100, 3, 16}, sink), EncoderError);
  EXPECT_THROW(MakeEncoder(FileType::Mp3, {44100, 2, 24}, sink), EncoderError);
  EXPECT_THROW(MakeEncoder(FileType::Wav, {44100, 2, 16}, sink), std::invalid_argument);
  EXPECT_THROW(MakeEncoder(FileType::Raw, {44100, 2, 16}, sink), std::invalid_argument);
}

}  // namespace
}  // namespace orvimo
