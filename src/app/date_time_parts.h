#pragma once

#include <cmath>

#include "base/date_time.h"

namespace orvimo {

// A date-time value is whole days plus the time of day as a fraction; before the zero point the days
// are negative while the time of day still counts forwards (-1.25 is 29 December 1899, 06:00).
inline double DatePartOf(TDateTime value) { return std::trunc(value); }
inline double TimePartOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }
inline TDateTime CombineDateAndTime(double datePart, double timePart) {
  return datePart < 0 ? datePart - timePart : datePart + timePart;
}

// The date of one value with the time of day of another; no day is ever carried over.
inline TDateTime WithTimeOf(TDateTime dateSource, TDateTime timeSource) {
  return CombineDateAndTime(DatePartOf(dateSource), TimePartOf(timeSource));
}

}  // namespace orvimo
