#pragma once

#include <cstdint>
#include <string>

namespace orvimo {

// "1.04 KB", "700 MB", "1,023 B": truncated, never rounded, grouped with ",".
std::string FormatSize(int64_t bytes);
// " hh : nn : ss" of bytes / bytesPerSecond, whole days dropped; " -- : -- : --" for a rate of 0 or below.
std::string FormatDuration(int64_t bytes, int64_t bytesPerSecond);

}  // namespace orvimo
