#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/date_time.h"

namespace orvimo {

// Expands an output file-name template: "[i]" becomes the counter, every "[...]" group is a date/time
// format with an optional zero-pad width. now() is called once for each group.
std::string ParseFileNameTemplate(const std::string& templ, uint16_t fileCounter,
                                  const std::function<TDateTime()>& now, const FormatSettings& settings = {});

}  // namespace orvimo
