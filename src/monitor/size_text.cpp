#include "monitor/size_text.h"

#include <cmath>
#include <cstdio>

namespace orvimo {

namespace {

constexpr int64_t kKilo = 1024;
constexpr int64_t kMega = 1024 * kKilo;
constexpr int64_t kGiga = 1024 * kMega;

// "1,234,567": groups of three from the right, "," whatever the locale.
std::string GroupDigits(uint64_t magnitude) {
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string GroupedDecimal(int64_t value) {
  // The magnitude is taken in unsigned arithmetic so the most negative value has one too.
  if (value < 0) return "-" + GroupDigits(0 - static_cast<uint64_t>(value));
  return GroupDigits(static_cast<uint64_t>(value));
}

// 0 to 99 as two digits.
std::string TwoDigits(int value) {
  char text[12];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string DurationText(int64_t bytes, int64_t bytesPerSecond, const std::string& separator) {
  if (bytesPerSecond <= 0) return "--" + separator + "--" + separator + "--";
  if (bytes < 0) bytes = 0;
  // nearbyint rounds halves to even in the default rounding mode. The quotient is at most 2^63, which
  // an unsigned 64-bit count holds.
  const auto seconds =
      static_cast<uint64_t>(std::nearbyint(static_cast<double>(bytes) / static_cast<double>(bytesPerSecond)));
  const uint64_t hours = seconds / 3600;
  return (hours < 10 ? "0" : "") + std::to_string(hours) + separator +
         TwoDigits(static_cast<int>(seconds / 60 % 60)) + separator +
         TwoDigits(static_cast<int>(seconds % 60));
}

}  // namespace

std::string FormatSize(int64_t bytes) {
  // Negative counts (a failed free-space query) have no unit to scale to: they show as plain bytes.
  if (bytes < kKilo) return GroupedDecimal(bytes) + " B";
  int64_t divisor = kGiga;
  const char* unit = "GB";
  if (bytes < kMega) {
    divisor = kKilo;
    unit = "KB";
  } else if (bytes < kGiga) {
    divisor = kMega;
    unit = "MB";
  }
  const int64_t whole = bytes / divisor;
  // (bytes * 100 / divisor) mod 100, taken from the remainder so that huge counts cannot overflow.
  const int64_t hundredths = (bytes % divisor) * 100 / divisor;
  std::string text = GroupedDecimal(whole);
  if (hundredths != 0) text += "." + TwoDigits(static_cast<int>(hundredths));
  return text + " " + unit;
}

std::string FormatDuration(int64_t bytes, int64_t bytesPerSecond) {
  return " " + DurationText(bytes, bytesPerSecond, " : ");
}

std::string FormatCompactDuration(int64_t bytes, int64_t bytesPerSecond) {
  return DurationText(bytes, bytesPerSecond, ":");
}

}  // namespace orvimo
