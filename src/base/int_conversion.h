#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvimo {

// Raised whenever text that should be a whole number is not one.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Optional leading blanks, an optional sign, then decimal digits, or hexadecimal digits after "$", "x"
// or "0x". Decimal values must fit a signed 32-bit integer; hexadecimal ones may use all 32 bits and are
// read as signed. Anything else throws ConversionError("'<text>' is not a valid integer value").
int32_t StrToInt(const std::string& text);

}  // namespace orvimo
