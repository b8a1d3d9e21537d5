#include "recording/wave_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvimo {
namespace {

TEST(WaveHeaderTest, StereoSixteenBitAt44100) {
  const WaveHeader header = MakeWaveHeader(2, 44100, 16);
  EXPECT_EQ(header.channels, 2);
  EXPECT_EQ(header.blockAlign, 4);
  EXPECT_EQ(header.bytesPerSecond, 176400u);
  EXPECT_EQ(header.bitsPerSample, 16);
  EXPECT_EQ(header.riffSize, 36u);
  EXPECT_EQ(header.dataSize, 0u);
}

TEST(WaveHeaderTest, MonoEightBitAt8000) {
  const WaveHeader header = MakeWaveHeader(1, 8000, 8);
  EXPECT_EQ(header.channels, 1);
  EXPECT_EQ(header.blockAlign, 1);
  EXPECT_EQ(header.bytesPerSecond, 8000u);
  EXPECT_EQ(header.bitsPerSample, 8);
}

TEST(WaveHeaderTest, BytesAreTheFileLayoutLittleEndian) {
  const std::vector<uint8_t> expected = {
      'R', 'I', 'F',  'F',  36, 0, 0,    0,    'W',  'A', 'V', 'E', 'f', 'm', 't', ' ', 16,  0,   0, 0, 1, 0,
      2,   0,   0x44, 0xAC, 0,  0, 0x10, 0xB1, 0x02, 0,   4,   0,   16,  0,   'd', 'a', 't', 'a', 0, 0, 0, 0};
  const auto bytes = MakeWaveHeader(2, 44100, 16).ToBytes();
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST(WaveHeaderTest, EncodesEveryByteOfWideFields) {
  WaveHeader header = MakeWaveHeader(2, 0x01020304, 16);
  header.riffSize = 0xA1B2C3D4;
  header.dataSize = 0xFFFFFFFE;
  const auto bytes = header.ToBytes();
  EXPECT_EQ(bytes[4], 0xD4);
  EXPECT_EQ(bytes[7], 0xA1);
  EXPECT_EQ(bytes[24], 0x04);
  EXPECT_EQ(bytes[27], 0x01);
  EXPECT_EQ(bytes[40], 0xFE);
  EXPECT_EQ(bytes[43], 0xFF);
}

}  // namespace
}  // namespace orvimo
