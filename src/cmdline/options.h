#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.h"

namespace orvimo {

// aliases: names separated by single blanks, first name first ("e end stop").
std::string OptionValue(const std::vector<std::string>& list, const std::string& aliases,
                        const std::string& defaultValue);
int32_t OptionInt(const std::vector<std::string>& list, const std::string& aliases, int32_t defaultValue);
// "2026-12-24 20:00", "21:30", "7 20:00", "30" ... relative to now; empty text gives 0.
TDateTime ParseOptionDateTime(const std::string& text, TDateTime now, const FormatSettings& settings = {});
int CountChar(char c, const std::string& text);
bool HasNoRecEntry(const std::vector<std::string>& list);

struct StopAfterValue {
  int32_t number;
  std::optional<int> unitIndex;  // 0 megabytes, 1 minutes, 2 hours; none = keep the unit shown
};
StopAfterValue ParseStopAfter(const std::string& value);

}  // namespace orvimo
