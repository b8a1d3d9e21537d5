// POSIX implementation of the output file: flock for exclusivity, a hidden temporary beside an existing
// file, rename to take its name.
#include "recording/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace orvimo {

namespace {

constexpr uint64_t kMaxField = 0xFFFFFFFF;
constexpr off_t kRiffSizeOffset = 4;
constexpr off_t kDataSizeOffset = 40;
constexpr std::size_t kCopyChunk = 1 << 20;

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

std::string ParentOf(const std::string& fullPath) {
  const std::string parent = std::filesystem::path(fullPath).parent_path().string();
  return parent.empty() ? "." : parent;
}

// Makes a new or renamed directory entry durable; the data itself is synced at the stop.
void SyncParentDirectory(const std::string& fullPath) {
  const int dir = ::open(ParentOf(fullPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// 0, or the errno of a lock that could not be had.
int LockExclusive(int fd) {
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : errno;
}

std::string LockFailure(int error) {
  return error == EWOULDBLOCK ? "The file is in use by another recorder." : std::strerror(error);
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

// "/dir/.take.wav.AbCd12.part": hidden, in the same folder, so the rename is atomic.
std::string TemporaryPattern(const std::string& fullPath) {
  const std::filesystem::path path(fullPath);
  return (path.parent_path() / ("." + path.filename().string() + ".XXXXXX.part")).string();
}

}  // namespace

OutputFile::OutputFile(int fd, std::string fullPath, std::string temporaryPath, int targetFd)
    : fd_(fd),
      fullPath_(std::move(fullPath)),
      temporaryPath_(std::move(temporaryPath)),
      targetFd_(targetFd) {}

OutputFile::~OutputFile() {
  // An uncommitted temporary is left rather than removed here: only Discard throws audio away.
  if (fd_ >= 0) ::close(fd_);
  if (targetFd_ >= 0) ::close(targetFd_);
}

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& path) {
  const std::string fullPath = AbsolutePath(path);
  // A free name is taken exclusively: there is nothing a failed start could destroy.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    if (const int error = LockExclusive(fd); error != 0) {
      ::unlink(path.c_str());
      ::close(fd);
      ThrowCreateError(fullPath, LockFailure(error));
    }
    SyncParentDirectory(fullPath);
    return std::unique_ptr<OutputFile>(new OutputFile(fd, fullPath, "", -1));
  }
  if (errno != EEXIST) ThrowCreateError(fullPath, std::strerror(errno));

  // The name holds a file: lock it, never truncate it, and write beside it until Commit.
  const int target = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (target < 0) ThrowCreateError(fullPath, std::strerror(errno));
  if (const int error = LockExclusive(target); error != 0) {
    ::close(target);
    ThrowCreateError(fullPath, LockFailure(error));
  }
  std::string temporary = TemporaryPattern(fullPath);
  fd = ::mkostemps(temporary.data(), 5, O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    ::close(target);
    ThrowCreateError(fullPath, std::strerror(error));
  }
  ::fchmod(
      fd, 0666 & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
      }());
  LockExclusive(fd);  // a fresh file of a random name: nobody else can hold it
  return std::unique_ptr<OutputFile>(new OutputFile(fd, fullPath, temporary, target));
}

const std::string& OutputFile::FullPath() const { return fullPath_; }

void OutputFile::WriteHeader(const WaveHeader& header) {
  const std::array<uint8_t, 44> bytes = header.ToBytes();
  int error = 0;
  if (WriteAt(bytes.data(), bytes.size(), 0, error) != bytes.size()) ThrowWriteError(fullPath_, error);
}

void OutputFile::Commit() {
  if (committed_) return;
  if (!temporaryPath_.empty()) {
    if (::rename(temporaryPath_.c_str(), fullPath_.c_str()) != 0)
      ThrowCreateError(fullPath_, std::strerror(errno));
    temporaryPath_.clear();
    ::close(targetFd_);
    targetFd_ = -1;
  }
  committed_ = true;
  SyncParentDirectory(fullPath_);
}

void OutputFile::Discard() noexcept {
  if (fd_ < 0) return;
  // Unlinked while the lock is still held, so a recorder that creates the same name next is never hit.
  if (!temporaryPath_.empty()) {
    ::unlink(temporaryPath_.c_str());
  } else if (StillAtItsPath()) {
    ::unlink(fullPath_.c_str());
  }
  ::close(fd_);
  fd_ = -1;
  if (targetFd_ >= 0) ::close(targetFd_);
  targetFd_ = -1;
}

std::size_t OutputFile::WriteAt(const void* data, std::size_t length, uint64_t offset, int& error) noexcept {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::size_t done = 0;
  error = 0;
  while (done < length) {
    const ssize_t written = ::pwrite(fd_, bytes + done, length - done, static_cast<off_t>(offset + done));
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (written == 0) {
      error = EIO;
      break;
    }
    done += static_cast<std::size_t>(written);
  }
  return done;
}

bool OutputFile::WriteSizeFields(uint64_t dataBytes) noexcept {
  const std::array<uint8_t, 4> riff = LittleEndian32(SizeField(dataBytes + 36, 0));
  const std::array<uint8_t, 4> data = LittleEndian32(SizeField(dataBytes, 0));
  int error = 0;
  return WriteAt(riff.data(), riff.size(), kRiffSizeOffset, error) == riff.size() &&
         WriteAt(data.data(), data.size(), kDataSizeOffset, error) == data.size();
}

uint64_t OutputFile::Size() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    throw std::runtime_error("Cannot read the size of file \"" + fullPath_ + "\". " + std::strerror(errno));
  }
  return static_cast<uint64_t>(info.st_size);
}

void OutputFile::FinishAt(uint64_t end) {
  if (Size() > end && ::ftruncate(fd_, static_cast<off_t>(end)) != 0) ThrowWriteError(fullPath_, errno);
  PatchSizes();
}

void OutputFile::PatchSizes() {
  // The sizes come from the file itself, so they always match what is on disk.
  const uint64_t size = Size();
  const std::array<uint8_t, 4> riff = LittleEndian32(SizeField(size, 8));
  const std::array<uint8_t, 4> data = LittleEndian32(SizeField(size, kWaveHeaderSize));
  int error = 0;
  if (WriteAt(riff.data(), riff.size(), kRiffSizeOffset, error) != riff.size() ||
      WriteAt(data.data(), data.size(), kDataSizeOffset, error) != data.size()) {
    ThrowWriteError(fullPath_, error);
  }
  ::fdatasync(fd_);
}

bool OutputFile::StillAtItsPath() const {
  struct stat open {};
  struct stat named {};
  const std::string& path = temporaryPath_.empty() ? fullPath_ : temporaryPath_;
  if (::fstat(fd_, &open) != 0 || ::stat(path.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino && open.st_nlink > 0;
}

void OutputFile::CopyTo(OutputFile& target, uint64_t from, uint64_t end) const {
  std::vector<uint8_t> buffer(kCopyChunk);
  while (from < end) {
    const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(buffer.size(), end - from));
    const ssize_t got = ::pread(fd_, buffer.data(), want, static_cast<off_t>(from));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) ThrowWriteError(target.fullPath_, got < 0 ? errno : EIO);
    int error = 0;
    const auto length = static_cast<std::size_t>(got);
    if (target.WriteAt(buffer.data(), length, from, error) != length)
      ThrowWriteError(target.fullPath_, error);
    from += length;
  }
}

}  // namespace orvimo
