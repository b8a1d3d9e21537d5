#include "base/int_conversion.h"

#include <cstddef>

namespace orvimo {
namespace {

[[noreturn]] void ThrowNotAnInteger(const std::string& text) {
  throw ConversionError("'" + text + "' is not a valid integer value");
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsHexPrefixAt(const std::string& text, std::size_t pos, std::size_t& prefixLength) {
  if (pos >= text.size()) return false;
  if (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X') {
    prefixLength = 1;
    return true;
  }
  if (text[pos] == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    prefixLength = 2;
    return true;
  }
  return false;
}

// Hexadecimal may fill all 32 bits; the bit pattern is then read as a signed value and a minus sign
// negates it with 32-bit wrap-around, so "-$80000000" is the most negative value again.
int32_t ParseHex(const std::string& text, std::size_t pos, bool negative) {
  if (pos >= text.size()) ThrowNotAnInteger(text);
  uint32_t value = 0;
  for (; pos < text.size(); ++pos) {
    const int digit = HexDigitValue(text[pos]);
    if (digit < 0 || value > 0x0FFFFFFFu) ThrowNotAnInteger(text);
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

// Accumulates the magnitude in 64 bits and checks it against the limit at each digit, so no input
// length can overflow.
int32_t ParseDecimal(const std::string& text, std::size_t pos, bool negative) {
  if (pos >= text.size()) ThrowNotAnInteger(text);
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c < '0' || c > '9') ThrowNotAnInteger(text);
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) ThrowNotAnInteger(text);
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

int32_t StrToInt(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  std::size_t prefixLength = 0;
  if (IsHexPrefixAt(text, pos, prefixLength)) return ParseHex(text, pos + prefixLength, negative);
  return ParseDecimal(text, pos, negative);
}

}  // namespace orvimo
