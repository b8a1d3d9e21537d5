// POSIX implementation of the output file. A Windows one would open with no sharing instead of flock.
#include "recording/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace orvimo {

namespace {

constexpr uint64_t kHeaderSize = 44;
constexpr uint64_t kMaxField = 0xFFFFFFFF;
constexpr off_t kRiffSizeOffset = 4;
constexpr off_t kDataSizeOffset = 40;

// Absolute against the current directory, without resolving symlinks, for messages the user can act on.
std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}

[[noreturn]] void ThrowCreateError(const std::string& fullPath, const std::string& reason) {
  throw FileCreateError("Cannot create file \"" + fullPath + "\". " + reason);
}

[[noreturn]] void ThrowWriteError(const std::string& fullPath, int error) {
  throw std::runtime_error("Cannot write to file \"" + fullPath + "\". " + std::strerror(error));
}

// Makes the new directory entry durable once, at creation; the data itself is synced at the stop.
void SyncParentDirectory(const std::string& fullPath) {
  const std::string parent = std::filesystem::path(fullPath).parent_path().string();
  const int dir = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// Writes all bytes at offset, retrying interrupted and partial writes. Returns false with errno set.
bool WriteAllAt(int fd, const uint8_t* data, std::size_t length, off_t offset) {
  while (length > 0) {
    const ssize_t written = ::pwrite(fd, data, length, offset);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
    offset += written;
  }
  return true;
}

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

void WriteSizeFields(int fd, const std::string& fullPath, uint32_t riffSize, uint32_t dataSize) {
  const std::array<uint8_t, 4> riff = LittleEndian32(riffSize);
  const std::array<uint8_t, 4> data = LittleEndian32(dataSize);
  if (!WriteAllAt(fd, riff.data(), riff.size(), kRiffSizeOffset) ||
      !WriteAllAt(fd, data.data(), data.size(), kDataSizeOffset)) {
    ThrowWriteError(fullPath, errno);
  }
}

}  // namespace

OutputFile::OutputFile(int fd, std::string fullPath) : fd_(fd), fullPath_(std::move(fullPath)) {}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& path) {
  const std::string fullPath = AbsolutePath(path);
  // No O_TRUNC: the file is emptied only once the lock is ours, so a file another recorder is writing
  // is never cut short.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) ThrowCreateError(fullPath, std::strerror(errno));
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const int error = errno;
    ::close(fd);
    ThrowCreateError(fullPath,
                     error == EWOULDBLOCK ? "The file is in use by another recorder." : std::strerror(error));
  }
  do {
    result = ::ftruncate(fd, 0);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const int error = errno;
    ::close(fd);
    ThrowCreateError(fullPath, std::strerror(error));
  }
  SyncParentDirectory(fullPath);
  return std::unique_ptr<OutputFile>(new OutputFile(fd, fullPath));
}

const std::string& OutputFile::FullPath() const { return fullPath_; }

void OutputFile::WriteHeader(const WaveHeader& header) {
  const std::array<uint8_t, 44> bytes = header.ToBytes();
  if (!WriteAllAt(fd_, bytes.data(), bytes.size(), 0)) ThrowWriteError(fullPath_, errno);
  if (::lseek(fd_, static_cast<off_t>(kHeaderSize), SEEK_SET) < 0) ThrowWriteError(fullPath_, errno);
}

int64_t OutputFile::Append(const void* data, uint32_t length) noexcept {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::size_t remaining = length;
  int64_t total = 0;
  while (remaining > 0) {
    const ssize_t written = ::write(fd_, bytes, remaining);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;  // a full disk or a closed file: the caller counts the buffer anyway
    bytes += written;
    remaining -= static_cast<std::size_t>(written);
    total += written;
  }
  return total;
}

uint64_t OutputFile::Size() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    throw std::runtime_error("Cannot read the size of file \"" + fullPath_ + "\". " + std::strerror(errno));
  }
  return static_cast<uint64_t>(info.st_size);
}

void OutputFile::PatchSizes() {
  // The sizes come from the file itself, so they always match what is on disk.
  const uint64_t size = Size();
  WriteSizeFields(fd_, fullPath_, SizeField(size, 8), SizeField(size, kHeaderSize));
  ::fdatasync(fd_);
}

void OutputFile::UpdateSizesWhileRecording(uint16_t blockAlign) {
  const uint64_t size = Size();
  uint64_t data = size > kHeaderSize ? size - kHeaderSize : 0;
  if (blockAlign > 1) data -= data % blockAlign;  // a reader must never see half a sample frame
  WriteSizeFields(fd_, fullPath_, SizeField(data + 36, 0), SizeField(data, 0));
}

void OutputFile::CloseAndRemove() {
  if (fd_ < 0) return;
  // Unlink while the lock is still held, so a recorder that creates the same name next is never hit.
  ::unlink(fullPath_.c_str());
  ::close(fd_);
  fd_ = -1;
}

}  // namespace orvimo
