#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "recording/wave_header.h"

namespace orvimo {

inline constexpr uint64_t kWaveHeaderSize = 44;

// "Cannot create file "<full path>". <the system's reason>"
class FileCreateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One WAV file of a recording, read-write and exclusive while open (POSIX: an advisory flock, so a
// second recorder cannot write into it; Windows: opened with no sharing).
//
// Creating never destroys: a name that is free is taken exclusively at once; a name that holds a file
// is locked (so a recorder writing it is never disturbed) and the new file is made beside it under a
// hidden temporary name, which replaces the old file only at Commit, once the capture has started.
// Until then Discard leaves the old file exactly as it was.
//
// The capture thread writes with WriteAt at offsets it tracks itself; the GUI thread reads and patches
// with positional calls too, so no file position is shared between the threads.
class OutputFile {
 public:
  // Throws FileCreateError.
  static std::unique_ptr<OutputFile> Create(const std::string& path);
  ~OutputFile();  // closes the file; a file never committed is removed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // The name the file has, or takes at Commit, as an absolute path.
  const std::string& FullPath() const;

  // Writes the 44 header bytes at offset 0. Throws on failure.
  void WriteHeader(const WaveHeader& header);
  // Gives the file its name: the temporary one replaces the file that had it. Throws on failure.
  void Commit();
  // Removes the file (or the temporary beside an existing one) and closes it.
  void Discard() noexcept;

  // Any thread: writes length bytes at offset; returns how many reached the file and sets error to the
  // errno of a write that failed (0 when all went). No allocation, no lock.
  std::size_t WriteAt(const void* data, std::size_t length, uint64_t offset, int& error) noexcept;
  // The RIFF and data size fields for that many audio bytes; false when the write failed.
  bool WriteSizeFields(uint64_t dataBytes) noexcept;
  // Brings what was written, data and header, to the disk (fdatasync; FlushFileBuffers on Windows).
  void Sync() noexcept;

  // The file's present length as the file system reports it.
  uint64_t Size() const;
  // Cuts off whatever lies beyond end (half a frame of a failed write) and writes the size fields from
  // the length that is then on disk, so they always match it. Throws on failure.
  void FinishAt(uint64_t end);
  // Cuts off whatever lies beyond end and syncs: the end of a file without size fields. Throws on failure.
  void CutAt(uint64_t end);
  // Final patch from the file's length: RIFF size = n - 8, data size = n - 44, each clamped.
  void PatchSizes();

  // False once the name no longer leads to this file (it or its folder was removed or replaced).
  bool StillAtItsPath() const;
  // Copies the bytes [from, end) of this file to the same offsets of target. Throws on failure.
  void CopyTo(OutputFile& target, uint64_t from, uint64_t end) const;

 private:
  // A file descriptor on POSIX, a HANDLE on Windows; -1 (also INVALID_HANDLE_VALUE) for none.
  using NativeFile = intptr_t;
  static constexpr NativeFile kNoFile = -1;

  OutputFile(NativeFile file, std::string fullPath, std::string temporaryPath, NativeFile target);
  // The platform's positional read; returns how many bytes came (0 at the end of the file) and sets
  // error like WriteAt.
  std::size_t ReadAt(void* data, std::size_t length, uint64_t offset, int& error) const noexcept;
  void TruncateTo(uint64_t end);  // throws on failure
  [[noreturn]] void ThrowWriteError(int error) const;

  NativeFile file_ = kNoFile;
  std::string fullPath_;
  // While not committed: where the new file is, and the locked file it will replace (kNoFile: none).
  std::string temporaryPath_;
  NativeFile target_ = kNoFile;
  bool committed_ = false;
};

}  // namespace orvimo
