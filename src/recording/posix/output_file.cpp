// POSIX implementation of the output file: flock for exclusivity, a hidden temporary beside an existing
// file, rename to take its name.
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

// Absolute against the current directory, without resolving symlinks, for messages the user can act on.
std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}

[[noreturn]] void ThrowCreateError(const std::string& fullPath, const std::string& reason) {
  throw FileCreateError("Cannot create file \"" + fullPath + "\". " + reason);
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

// "/dir/.take.wav.AbCd12.part": hidden, in the same folder, so the rename is atomic.
std::string TemporaryPattern(const std::string& fullPath) {
  const std::filesystem::path path(fullPath);
  return (path.parent_path() / ("." + path.filename().string() + ".XXXXXX.part")).string();
}

}  // namespace

OutputFile::~OutputFile() {
  // An uncommitted temporary is left rather than removed here: only Discard throws audio away.
  if (file_ >= 0) ::close(file_);
  if (target_ >= 0) ::close(target_);
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
    return std::unique_ptr<OutputFile>(new OutputFile(fd, fullPath, "", kNoFile));
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

void OutputFile::Commit() {
  if (committed_) return;
  if (!temporaryPath_.empty()) {
    if (::rename(temporaryPath_.c_str(), fullPath_.c_str()) != 0)
      ThrowCreateError(fullPath_, std::strerror(errno));
    temporaryPath_.clear();
    ::close(target_);
    target_ = kNoFile;
  }
  committed_ = true;
  SyncParentDirectory(fullPath_);
}

void OutputFile::Discard() noexcept {
  if (file_ < 0) return;
  // Unlinked while the lock is still held, so a recorder that creates the same name next is never hit.
  if (!temporaryPath_.empty()) {
    ::unlink(temporaryPath_.c_str());
  } else if (StillAtItsPath()) {
    ::unlink(fullPath_.c_str());
  }
  ::close(file_);
  file_ = kNoFile;
  if (target_ >= 0) ::close(target_);
  target_ = kNoFile;
}

std::size_t OutputFile::WriteAt(const void* data, std::size_t length, uint64_t offset, int& error) noexcept {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::size_t done = 0;
  error = 0;
  while (done < length) {
    const ssize_t written = ::pwrite(file_, bytes + done, length - done, static_cast<off_t>(offset + done));
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

uint64_t OutputFile::Size() const {
  struct stat info {};
  if (::fstat(file_, &info) != 0) {
    throw std::runtime_error("Cannot read the size of file \"" + fullPath_ + "\". " + std::strerror(errno));
  }
  return static_cast<uint64_t>(info.st_size);
}

void OutputFile::TruncateTo(uint64_t end) {
  if (::ftruncate(file_, static_cast<off_t>(end)) != 0) ThrowWriteError(errno);
}

void OutputFile::Sync() noexcept { ::fdatasync(file_); }

std::size_t OutputFile::ReadAt(void* data, std::size_t length, uint64_t offset, int& error) const noexcept {
  error = 0;
  ssize_t got;
  do {
    got = ::pread(file_, data, length, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  if (got < 0) error = errno;
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool OutputFile::StillAtItsPath() const {
  struct stat open {};
  struct stat named {};
  const std::string& path = temporaryPath_.empty() ? fullPath_ : temporaryPath_;
  if (::fstat(file_, &open) != 0 || ::stat(path.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino && open.st_nlink > 0;
}

}  // namespace orvimo
