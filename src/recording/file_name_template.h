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

namespace orvimo {

// Where the name's extension begins: at the last "." after the last backslash, slash and colon, or at
// the end when there is none.
std::size_t ExtensionStart(const std::string& name);
// text put in front of the name's extension, which runs from the last "." after the last backslash,
// slash and colon ("take.wav" with " (2)" gives "take (2).wav"; a name without one gets it at the end).
std::string InsertBeforeExtension(const std::string& name, const std::string& text);

}  // namespace orvimo
