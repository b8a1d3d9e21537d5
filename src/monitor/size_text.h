#pragma once

#include <cstdint>
#include <string>

namespace orvimo {

// "1.04 KB", "700 MB", "1,023 B": truncated, never rounded, grouped with ",". A negative count has no
// unit to scale to and shows as signed bytes ("-1 B").
std::string FormatSize(int64_t bytes);
// " hh : nn : ss" of bytes / bytesPerSecond, rounded to whole seconds with halves to even; the hours count
// on past a day with as many digits as they need (" 119 : 04 : 37"). " -- : -- : --" for a rate of 0 or
// below; a negative count (a failed free-space query) shows as " 00 : 00 : 00".
std::string FormatDuration(int64_t bytes, int64_t bytesPerSecond);
// The same time for a console line, without the blanks: "119:04:37", "--:--:--".
std::string FormatCompactDuration(int64_t bytes, int64_t bytesPerSecond);

}  // namespace orvimo
