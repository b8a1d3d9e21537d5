#include "recording/wave_header.h"

#include <cstring>

namespace orvimo {

namespace {

// Writes value little-endian with shifts, so the bytes are right on any host.
template <typename T>
void PutLittleEndian(std::array<uint8_t, 44>& bytes, std::size_t offset, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    bytes[offset + i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
  }
}

void PutId(std::array<uint8_t, 44>& bytes, std::size_t offset, const char (&id)[4]) {
  std::memcpy(bytes.data() + offset, id, 4);
}

void SetId(char (&field)[4], const char* text) { std::memcpy(field, text, 4); }

}  // namespace

std::array<uint8_t, 44> WaveHeader::ToBytes() const {
  std::array<uint8_t, 44> bytes{};
  PutId(bytes, 0, riffId);
  PutLittleEndian(bytes, 4, riffSize);
  PutId(bytes, 8, waveId);
  PutId(bytes, 12, fmtId);
  PutLittleEndian(bytes, 16, fmtSize);
  PutLittleEndian(bytes, 20, formatTag);
  PutLittleEndian(bytes, 22, channels);
  PutLittleEndian(bytes, 24, sampleRate);
  PutLittleEndian(bytes, 28, bytesPerSecond);
  PutLittleEndian(bytes, 32, blockAlign);
  PutLittleEndian(bytes, 34, bitsPerSample);
  PutId(bytes, 36, dataId);
  PutLittleEndian(bytes, 40, dataSize);
  return bytes;
}

WaveHeader MakeWaveHeader(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample) {
  WaveHeader header{};
  SetId(header.riffId, "RIFF");
  header.riffSize = 36;  // a header-only file is already a valid, empty WAV file
  SetId(header.waveId, "WAVE");
  SetId(header.fmtId, "fmt ");
  header.fmtSize = 16;
  header.formatTag = 1;  // PCM
  header.channels = channels;
  header.sampleRate = sampleRate;
  header.blockAlign = static_cast<uint16_t>(bitsPerSample / 8 * channels);
  header.bytesPerSecond = static_cast<uint32_t>(header.blockAlign) * sampleRate;
  header.bitsPerSample = bitsPerSample;
  SetId(header.dataId, "data");
  header.dataSize = 0;
  return header;
}

}  // namespace orvimo
