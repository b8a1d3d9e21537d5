#pragma once

#include <array>
#include <cstdint>

namespace orvimo {

// The 44-byte RIFF/WAVE header, field by field in file order. The fields hold host values; ToBytes()
// encodes them little-endian, so the bytes on disk are right whatever the host.
#pragma pack(push, 1)
struct WaveHeader {
  char riffId[4];
  uint32_t riffSize;
  char waveId[4];
  char fmtId[4];
  uint32_t fmtSize;
  uint16_t formatTag;
  uint16_t channels;
  uint32_t sampleRate;
  uint32_t bytesPerSecond;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  char dataId[4];
  uint32_t dataSize;

  std::array<uint8_t, 44> ToBytes() const;
};
#pragma pack(pop)
static_assert(sizeof(WaveHeader) == 44);

WaveHeader MakeWaveHeader(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample);

}  // namespace orvimo
