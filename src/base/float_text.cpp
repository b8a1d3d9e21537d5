#include "base/float_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace orvimo {
namespace {

constexpr int kMaxSignificantDigits = std::numeric_limits<double>::max_digits10;  // 17
constexpr int kLowestPlainExponent = -4;
constexpr int kHighestPlainExponent = 18;

// A positive finite number as its significant digits (no trailing zeros) and the decimal exponent of the
// first one: 46362.9233564815 is "463629233564815" and 4.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
};

// Splits to_chars' scientific text ("4.63629233564815e+04") into digits and exponent.
DecimalDigits SplitScientific(const char* first, const char* last) {
  DecimalDigits result;
  const char* mark = std::find(first, last, 'e');
  for (const char* p = first; p != mark; ++p) {
    if (*p != '.') result.digits += *p;
  }
  while (result.digits.size() > 1 && result.digits.back() == '0') result.digits.pop_back();
  std::from_chars(mark + 1 + (mark[1] == '+' ? 1 : 0), last, result.exponent);
  return result;
}

// The next smaller number with the given count of significant digits.
DecimalDigits StepTowardZero(DecimalDigits d, int significantDigits) {
  d.digits.resize(static_cast<std::size_t>(significantDigits), '0');
  for (auto digit = d.digits.rbegin(); digit != d.digits.rend(); ++digit) {
    if (*digit != '0') {
      --*digit;
      break;
    }
    *digit = '9';
  }
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Rounds to the given number of significant digits first, then takes the shortest digits that read back
// as the same double as that rounded number: so 18 digits of 0.1 give "0.1", not "0.100000000000000006".
DecimalDigits SignificantDigits(double magnitude, int significantDigits) {
  char buffer[64];
  const auto rounded = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                                     significantDigits - 1);
  double roundedValue = 0;
  const auto parsed = std::from_chars(buffer, rounded.ptr, roundedValue);
  // Rounding the largest doubles up goes past the end of the range, and such text would not read back:
  // round toward zero instead.
  if (parsed.ec != std::errc{})
    return StepTowardZero(SplitScientific(buffer, rounded.ptr), significantDigits);
  const auto shortest =
      std::to_chars(buffer, buffer + sizeof buffer, roundedValue, std::chars_format::scientific);
  return SplitScientific(buffer, shortest.ptr);
}

std::string PlainText(const DecimalDigits& d) {
  if (d.exponent < 0) return "0." + std::string(-d.exponent - 1, '0') + d.digits;
  const std::size_t integerDigits = static_cast<std::size_t>(d.exponent) + 1;
  if (d.digits.size() <= integerDigits) return d.digits + std::string(integerDigits - d.digits.size(), '0');
  return d.digits.substr(0, integerDigits) + "." + d.digits.substr(integerDigits);
}

std::string ExponentText(const DecimalDigits& d) {
  std::string text = d.digits.substr(0, 1);
  if (d.digits.size() > 1) text += "." + d.digits.substr(1);
  return text + "E" + std::to_string(d.exponent);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(const std::string& text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

bool IsSign(char c) { return c == '+' || c == '-'; }

// Checks the whole text against the plain number grammar; from_chars alone would also take "inf", "nan"
// and hexadecimal forms.
bool IsPlainDecimal(const std::string& text) {
  std::size_t pos = 0;
  if (pos < text.size() && IsSign(text[pos])) ++pos;
  const std::size_t integerEnd = SkipDigits(text, pos);
  std::size_t mantissaDigits = integerEnd - pos;
  pos = integerEnd;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t fractionEnd = SkipDigits(text, pos + 1);
    mantissaDigits += fractionEnd - pos - 1;
    pos = fractionEnd;
  }
  if (mantissaDigits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && IsSign(text[pos])) ++pos;
    const std::size_t exponentEnd = SkipDigits(text, pos);
    if (exponentEnd == pos) return false;
    pos = exponentEnd;
  }
  return pos == text.size();
}

}  // namespace

std::string FloatToStrGeneral(double value, int significantDigits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  const int digits = std::clamp(significantDigits, 1, kMaxSignificantDigits);
  const DecimalDigits decimal = SignificantDigits(std::fabs(value), digits);
  const bool plain = decimal.exponent >= kLowestPlainExponent && decimal.exponent <= kHighestPlainExponent;
  return (value < 0 ? "-" : "") + (plain ? PlainText(decimal) : ExponentText(decimal));
}

std::optional<double> TextToFloat(const std::string& text) {
  if (!IsPlainDecimal(text)) return std::nullopt;
  const char* first = text.data() + (text[0] == '+' ? 1 : 0);
  const char* last = text.data() + text.size();
  double value = 0;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc{} || end != last) return std::nullopt;
  return value;
}

}  // namespace orvimo
