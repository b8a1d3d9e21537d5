#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "encoding/encoder.h"

namespace orvimo {

// A file in memory. The first write that would grow it past failAt is refused, as on a full disk; later
// ones go through again, as when space has been freed.
class MemorySink final : public ByteSink {
 public:
  explicit MemorySink(uint64_t failAt = UINT64_MAX) : limit_(failAt) {}

  bool Append(const uint8_t* data, size_t size) override { return WriteAt(bytes.size(), data, size); }
  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
    if (offset > bytes.size()) return false;
    if (offset + size > limit_) {
      limit_ = UINT64_MAX;
      return false;
    }
    if (offset + size > bytes.size()) bytes.resize(offset + size);
    std::copy(data, data + size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
  }
  uint64_t Size() const override { return bytes.size(); }

  std::vector<uint8_t> bytes;

 private:
  uint64_t limit_;
};

}  // namespace orvimo
