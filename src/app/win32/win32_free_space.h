#pragma once

#include "services/free_space.h"

namespace orvimo::win32 {

// GetDiskFreeSpaceEx: the bytes available to the calling user (quotas included) on the volume of a
// path ("C:\" for a drive), or of the current directory for an empty path.
class Win32FreeSpace : public FreeSpace {
 public:
  int64_t BytesFree(const std::string& path) override;
};

}  // namespace orvimo::win32
