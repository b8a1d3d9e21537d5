#include "cmdline/option_notes.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "base/int_conversion.h"
#include "cmdline/options.h"

namespace orvimo {

namespace {

struct OptionGroup {
  const char* aliases;
  const char* withoutValue;  // what a name left without its value means for the recording
};

constexpr OptionGroup kOptionGroups[] = {
    {"b bits", ""},
    {"c channels", ""},
    {"f freq", ""},
    {"t type", ""},
    {"d device", ""},
    {"a after", ""},
    {"s start", ", so no start time is set"},
    {"e end stop", ", so no stop time is set"},
    {"m max", ", so no stop limit is set"},
};

constexpr const char* kUnitNames[] = {"megabytes", "minutes", "hours"};

const OptionGroup* GroupNamed(const std::string& name) {
  const std::string wanted = " " + LowerCase(name) + " ";
  for (const OptionGroup& group : kOptionGroups) {
    if ((" " + std::string(group.aliases) + " ").find(wanted) != std::string::npos) return &group;
  }
  return nullptr;
}

// "-b 24": the option as the user gave it, by its first name.
std::string Given(const char* aliases, const std::string& value) {
  const std::string names(aliases);
  return "-" + names.substr(0, names.find(' ')) + " " + value;
}

// Every entry but the file name: names the program does not know, and known names without a value.
void NoteEntries(const std::vector<std::string>& list, std::vector<std::string>& notes) {
  for (std::size_t i = 0; i + 1 < list.size(); ++i) {
    const std::string& entry = list[i];
    if (LowerCase(entry) == "norec") continue;
    const std::size_t equals = entry.find('=');
    const std::string name = entry.substr(0, equals);
    const OptionGroup* group = GroupNamed(name);
    if (group == nullptr) {
      notes.push_back("-" + name + ": unknown option, ignored");
    } else if (equals == std::string::npos) {
      const bool noneLeft = OptionValue(list, group->aliases, "").empty();
      notes.push_back("-" + name + ": no value, ignored" + (noneLeft ? group->withoutValue : "") +
                      " (a value that begins with \"-\" needs double quotes)");
    }
  }
}

// The number of the option's value, none when it does not convert (its error comes when it is applied).
std::optional<int32_t> NumberOf(const std::vector<std::string>& list, const char* aliases) {
  const std::string value = OptionValue(list, aliases, "");
  if (value.empty()) return std::nullopt;
  try {
    return StrToInt(value);
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

void NoteFormat(const std::vector<std::string>& list, std::vector<std::string>& notes) {
  if (const auto bits = NumberOf(list, "b bits"); bits && *bits != 8 && *bits != 16) {
    notes.push_back(Given("b bits", OptionValue(list, "b bits", "")) + ": 16 bit taken instead (8 or 16)");
  }
  if (const auto channels = NumberOf(list, "c channels"); channels && *channels != 1 && *channels != 2) {
    notes.push_back(Given("c channels", OptionValue(list, "c channels", "")) +
                    ": stereo taken instead (1 or 2)");
  }
}

// The option decides the type; a file name ending in another type's extension is renamed to match.
void NoteFileType(const std::vector<std::string>& list, std::vector<std::string>& notes) {
  const std::string word = OptionValue(list, "t type", "");
  if (word.empty()) return;
  const std::optional<FileType> chosen = FileTypeOfWord(word);
  if (!chosen) {
    notes.push_back(Given("t type", word) + ": unknown type, ignored (wav, raw, flac, opus or mp3)");
    return;
  }
  const std::optional<FileType> named = FileTypeOfName(list.back());
  if (!named || *named == *chosen) return;
  notes.push_back(Given("t type", word) + ": " + std::string(FileTypeName(*chosen)) + " recorded into \"" +
                  WithFileTypeExtension(list.back(), *chosen) + "\", not " +
                  std::string(FileTypeName(*named)) + " as the file name said");
}

void NoteAfterAction(const std::vector<std::string>& list, std::vector<std::string>& notes) {
  const std::string word = OptionValue(list, "a after", "");
  if (word.empty() || AfterActionIndex(word)) return;
  notes.push_back(Given("a after", word) + ": \"Do nothing\" taken instead (alert, new, shutdown or none)");
}

std::optional<TDateTime> MomentOf(const std::string& value, TDateTime now, const FormatSettings& settings) {
  try {
    return ParseOptionDateTime(value, now, settings);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// A stop-after limit decides the stop, whatever a stop time says.
bool StopTimeTakenOver(const std::vector<std::string>& list, TDateTime now, const FormatSettings& settings,
                       std::vector<std::string>& notes) {
  const std::string stopValue = OptionValue(list, "e end stop", "");
  if (stopValue.empty() || OptionValue(list, "m max", "").empty() || !MomentOf(stopValue, now, settings)) {
    return false;
  }
  notes.push_back(Given("e end stop", stopValue) + ": ignored, -m sets the stop");
  return true;
}

// A start is due once now has reached it, a stop once now is past it: either way at the first second.
void NoteMoment(const std::vector<std::string>& list, const char* aliases, const char* what, TDateTime now,
                const FormatSettings& settings, std::vector<std::string>& notes) {
  const std::string value = OptionValue(list, aliases, "");
  if (value.empty()) return;
  const std::optional<TDateTime> moment = MomentOf(value, now, settings);
  if (!moment) return;
  if (*moment <= 0) {
    notes.push_back(Given(aliases, value) + ": too early a date, so no " + what + " time is set");
  } else if (*moment <= now) {
    notes.push_back(Given(aliases, value) + ": that time has passed, the recording " + what + "s at once");
  }
}

std::string Counted(int32_t number, int unitIndex) {
  std::string unit = kUnitNames[unitIndex];
  if (number == 1) unit.pop_back();
  return std::to_string(number) + " " + unit;
}

// Only these spellings say their unit; any other word that begins with "m" or "h" is taken for one.
bool UnitSpelledOut(const std::string& unit) {
  static const char* const kSpellings[] = {"mb", "m",  "min", "mins", "minute", "minutes",
                                           "h",  "hr", "hrs", "hour", "hours"};
  return std::find(std::begin(kSpellings), std::end(kSpellings), unit) != std::end(kSpellings);
}

// Why a stop-after value is not taken as written; none when it is.
std::vector<std::string> StopAfterReasons(const StopAfterValue& limit, int32_t count) {
  std::vector<std::string> reasons;
  if (count != limit.number) reasons.push_back("the limit is 1 to 999");
  if (!limit.unitIndex) {
    reasons.push_back(limit.unit.empty() ? "no unit" : "unknown unit \"" + limit.unit + "\"");
  } else if (!UnitSpelledOut(limit.unit)) {
    std::string reading = "\"" + limit.unit + "\" read as " + kUnitNames[*limit.unitIndex];
    if (*limit.unitIndex == 1) reading += ", only \"mb\" means megabytes";
    reasons.push_back(reading);
  }
  return reasons;
}

void NoteStopAfter(const std::vector<std::string>& list, std::vector<std::string>& notes) {
  const std::string value = OptionValue(list, "m max", "");
  if (value.empty()) return;
  StopAfterValue limit{};
  try {
    limit = ParseStopAfter(value);
  } catch (const ConversionError&) {
    return;
  }
  const int32_t count = std::clamp(limit.number, kStopAfterLeast, kStopAfterMost);
  const std::vector<std::string> reasons = StopAfterReasons(limit, count);
  if (reasons.empty()) return;
  const std::string taken = limit.unitIndex ? Counted(count, *limit.unitIndex)
                                            : std::to_string(count) + " in the unit already chosen";
  std::string note = Given("m max", value) + ": " + taken + " taken instead (" + reasons.front();
  for (std::size_t i = 1; i < reasons.size(); ++i) note += "; " + reasons[i];
  notes.push_back(note + ")");
}

}  // namespace

std::vector<std::string> OptionNotes(const std::vector<std::string>& list, TDateTime now,
                                     const FormatSettings& settings) {
  std::vector<std::string> notes;
  NoteEntries(list, notes);
  NoteFormat(list, notes);
  NoteFileType(list, notes);
  NoteAfterAction(list, notes);
  NoteMoment(list, "s start", "start", now, settings, notes);
  if (!StopTimeTakenOver(list, now, settings, notes))
    NoteMoment(list, "e end stop", "stop", now, settings, notes);
  NoteStopAfter(list, notes);
  return notes;
}

}  // namespace orvimo
