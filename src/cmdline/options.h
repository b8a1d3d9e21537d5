#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "encoding/file_type.h"

namespace orvimo {

// aliases: names separated by single blanks, first name first ("e end stop").
std::string OptionValue(const std::vector<std::string>& list, const std::string& aliases,
                        const std::string& defaultValue);
int32_t OptionInt(const std::vector<std::string>& list, const std::string& aliases, int32_t defaultValue);
// "2026-12-24 20:00", "21:30", "7 20:00", "30" ... relative to now; empty text gives 0.
TDateTime ParseOptionDateTime(const std::string& text, TDateTime now, const FormatSettings& settings = {});
int CountChar(char c, const std::string& text);
// A-Z lowered, whatever the locale: option names and words compare this way.
std::string LowerCase(std::string text);
bool HasNoRecEntry(const std::vector<std::string>& list);

struct StopAfterValue {
  int32_t number;
  std::optional<int> unitIndex;  // 0 megabytes, 1 minutes, 2 hours; none = keep the unit shown
  std::string unit;              // the unit word as written, lower-cased ("mb" for a bare number)
};
StopAfterValue ParseStopAfter(const std::string& value);
// The stop-after count keeps inside these: a smaller one becomes 1, a larger one 999.
constexpr int32_t kStopAfterLeast = 1;
constexpr int32_t kStopAfterMost = 999;

// The file type the command line chooses: the type option's word, else the file name's extension;
// none when neither names a type.
std::optional<FileType> FileTypeOption(const std::vector<std::string>& list);

// "alert" 1, "new" 2, "shutdown" 3, in any letter case; "none" 0 ("Do nothing"), as any word that names
// no action ends up, but said on purpose. None for any other word.
std::optional<int> AfterActionIndex(std::string word);

}  // namespace orvimo
