#pragma once

#include <cstdint>
#include <string>

namespace orvimo {

// Bytes free for the calling user on the volume the recordings go to; -1 when the query fails.
class FreeSpace {
 public:
  virtual ~FreeSpace() = default;
  // path: a folder (or "X:\" for a drive root); empty means the current directory.
  virtual int64_t BytesFree(const std::string& path) = 0;
};

// The drive of a template whose second character is ":" (1 for "A:", 3 for "C:", in 8-bit arithmetic),
// else 0, the current drive.
uint8_t DiskDriveOf(const std::string& outputTemplate);

// Where to ask for free space: the drive root for a drive letter, else the folder part of the template
// (so the guard watches the volume actually written to), else the current directory (empty).
std::string FreeSpaceQueryPath(const std::string& outputTemplate, uint8_t diskDrive);

}  // namespace orvimo
