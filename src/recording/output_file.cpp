// The output file's rules that need no system call of their own: the header, its size fields and
// copying between files, on top of the platform's positional reads and writes.
#include "recording/output_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace orvimo {

namespace {

constexpr uint64_t kMaxField = 0xFFFFFFFF;
constexpr uint64_t kRiffSizeOffset = 4;
constexpr uint64_t kDataSizeOffset = 40;
constexpr std::size_t kCopyChunk = 1 << 20;

std::array<uint8_t, 4> LittleEndian32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 24)};
}

// A size field: the difference, 0 when the file is too short and all ones when it does not fit (readers
// then read to the end of the file instead of seeing a tiny one).
uint32_t SizeField(uint64_t total, uint64_t minus) {
  if (total < minus) return 0;
  const uint64_t difference = total - minus;
  return difference > kMaxField ? static_cast<uint32_t>(kMaxField) : static_cast<uint32_t>(difference);
}

}  // namespace

OutputFile::OutputFile(NativeFile file, std::string fullPath, std::string temporaryPath, NativeFile target)
    : file_(file),
      fullPath_(std::move(fullPath)),
      temporaryPath_(std::move(temporaryPath)),
      target_(target) {}

const std::string& OutputFile::FullPath() const { return fullPath_; }

// The writer's errors are errno values on every platform (the Windows file maps its own to them).
void OutputFile::ThrowWriteError(int error) const {
  throw std::runtime_error("Cannot write to file \"" + fullPath_ + "\". " + std::strerror(error));
}

void OutputFile::WriteHeader(const WaveHeader& header) {
  const std::array<uint8_t, 44> bytes = header.ToBytes();
  int error = 0;
  if (WriteAt(bytes.data(), bytes.size(), 0, error) != bytes.size()) ThrowWriteError(error);
}

bool OutputFile::WriteSizeFields(uint64_t dataBytes) noexcept {
  const std::array<uint8_t, 4> riff = LittleEndian32(SizeField(dataBytes + 36, 0));
  const std::array<uint8_t, 4> data = LittleEndian32(SizeField(dataBytes, 0));
  int error = 0;
  return WriteAt(riff.data(), riff.size(), kRiffSizeOffset, error) == riff.size() &&
         WriteAt(data.data(), data.size(), kDataSizeOffset, error) == data.size();
}

void OutputFile::FinishAt(uint64_t end) {
  if (Size() > end) TruncateTo(end);
  PatchSizes();
}

void OutputFile::CutAt(uint64_t end) {
  if (Size() > end) TruncateTo(end);
  Sync();
}

void OutputFile::PatchSizes() {
  // The sizes come from the file itself, so they always match what is on disk.
  const uint64_t size = Size();
  const std::array<uint8_t, 4> riff = LittleEndian32(SizeField(size, 8));
  const std::array<uint8_t, 4> data = LittleEndian32(SizeField(size, kWaveHeaderSize));
  int error = 0;
  if (WriteAt(riff.data(), riff.size(), kRiffSizeOffset, error) != riff.size() ||
      WriteAt(data.data(), data.size(), kDataSizeOffset, error) != data.size()) {
    ThrowWriteError(error);
  }
  Sync();
}

void OutputFile::CopyTo(OutputFile& target, uint64_t from, uint64_t end) const {
  std::vector<uint8_t> buffer(kCopyChunk);
  while (from < end) {
    const auto want = static_cast<std::size_t>(std::min<uint64_t>(buffer.size(), end - from));
    int error = 0;
    const std::size_t got = ReadAt(buffer.data(), want, from, error);
    if (got == 0) target.ThrowWriteError(error != 0 ? error : EIO);
    if (target.WriteAt(buffer.data(), got, from, error) != got) target.ThrowWriteError(error);
    from += got;
  }
}

}  // namespace orvimo
