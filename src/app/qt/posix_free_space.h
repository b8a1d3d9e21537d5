#pragma once

#include "services/free_space.h"

namespace orvimo {

// Free space of the volume holding a folder, or of the nearest folder above it that exists (the
// template's folder may be made of date groups that expand to something else). On Windows the
// volume's root is asked.
class PosixFreeSpace : public FreeSpace {
 public:
  int64_t BytesFree(const std::string& path) override;
};

}  // namespace orvimo
