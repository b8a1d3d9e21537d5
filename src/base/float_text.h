#pragma once

#include <string>

namespace orvimo {

// The shortest plain decimal text of the value with at most significantDigits significant digits,
// trailing zeros dropped, no grouping, and "." as the decimal point whatever the locale.
std::string FloatToStrGeneral(double value, int significantDigits);

}  // namespace orvimo
