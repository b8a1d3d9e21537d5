#pragma once

#include <optional>
#include <string>

namespace orvimo {

// The shortest plain decimal text of the value with at most significantDigits significant digits,
// trailing zeros dropped, no grouping, and "." as the decimal point whatever the locale.
// Values from 1e-4 up to 1e18 in magnitude are always written plainly; smaller and larger ones as a
// mantissa and a decimal exponent ("1.5E-5", "2E19"). NaN and infinities give "NAN", "INF" and "-INF",
// which TextToFloat does not read back. significantDigits is taken within 1..17.
std::string FloatToStrGeneral(double value, int significantDigits);

// Reads a plain decimal number: an optional sign, digits with an optional "." (at least one digit), then
// an optional exponent ("e" or "E", optional sign, digits). Nothing else may stand in the text, not even
// a blank. Gives nullopt for any other text and for values outside the range of a double (also ones so
// small that they would become zero).
std::optional<double> TextToFloat(const std::string& text);

}  // namespace orvimo
