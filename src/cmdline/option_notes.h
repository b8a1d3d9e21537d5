#pragma once

#include <string>
#include <vector>

#include "base/date_time.h"

namespace orvimo {

// One line for each option that is not taken as written: an unknown option, a name left without its
// value, a value out of range or rounded to one the program has, a start or stop time already past.
// The options still do what they always did; these lines only say it. A value that does not convert gets
// no line here: applying the options raises its error.
std::vector<std::string> OptionNotes(const std::vector<std::string>& list, TDateTime now,
                                     const FormatSettings& settings = {});

}  // namespace orvimo
