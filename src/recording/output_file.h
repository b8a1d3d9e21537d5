#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "recording/wave_header.h"

namespace orvimo {

// "Cannot create file "<full path>". <the system's reason>"
class FileCreateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The output file of one recording. Created or truncated, read-write, and exclusive while open
// (POSIX: an advisory flock, so a second recorder cannot write into it; Windows: no sharing).
// The capture thread appends with unbuffered system writes; the GUI thread patches the header with
// positional writes from the file's own length, never moving the position the capture thread appends at.
class OutputFile {
 public:
  // Throws FileCreateError.
  static std::unique_ptr<OutputFile> Create(const std::string& path);
  ~OutputFile();  // closes the file
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& FullPath() const;

  // Writes the 44 header bytes at offset 0 and leaves the append position behind them. Throws on failure.
  void WriteHeader(const WaveHeader& header);
  // Capture thread: one write of the whole buffer at the end of the file; no allocation, no lock.
  // Returns the number of bytes the system took (a short write on a full disk is not an error here).
  int64_t Append(const void* data, uint32_t length) noexcept;
  // The file's present length as the file system reports it.
  uint64_t Size() const;
  // Final patch at the stop: RIFF size = n - 8, data size = n - 44, each clamped to 0xFFFFFFFF.
  void PatchSizes();
  // Once a second while recording: the same fields from the present length rounded down to whole
  // sample frames, so a file whose process dies is still readable to the last second.
  void UpdateSizesWhileRecording(uint16_t blockAlign);
  // Closes the file and deletes it (a recording whose capture never started).
  void CloseAndRemove();

 private:
  OutputFile(int fd, std::string fullPath);
  int fd_ = -1;
  std::string fullPath_;
};

}  // namespace orvimo
