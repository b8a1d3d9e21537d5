#include "cmdline/options.h"

#include <algorithm>
#include <utility>

#include "base/int_conversion.h"

namespace orvimo {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// Splits at every occurrence of the separator, keeping empty pieces ("2026--24" has an empty month).
std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, from)) {
    pieces.push_back(text.substr(from, at - from));
    from = at + 1;
  }
  pieces.push_back(text.substr(from));
  return pieces;
}

// The runs of non-blank characters; word k is empty when there are fewer runs.
std::vector<std::string> BlankSeparatedWords(const std::string& text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(' ', at);
    if (at == std::string::npos) break;
    const std::size_t end = std::min(text.find(' ', at), text.size());
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

std::string WordAt(const std::vector<std::string>& words, std::size_t index) {
  return index < words.size() ? words[index] : std::string();
}

struct DateTimeParts {
  int year, month, day, hour, minute, second;
};

// No dash: the day; one: month-day; two: year-month-day; more: ignored.
void ApplyDateWord(const std::string& word, DateTimeParts& parts) {
  const std::vector<std::string> fields = SplitAt(word, '-');
  if (fields.size() == 1) {
    parts.day = StrToInt(fields[0]);
  } else if (fields.size() == 2) {
    parts.month = StrToInt(fields[0]);
    parts.day = StrToInt(fields[1]);
  } else if (fields.size() == 3) {
    parts.year = StrToInt(fields[0]);
    parts.month = StrToInt(fields[1]);
    parts.day = StrToInt(fields[2]);
  }
}

// No colon: the minute; one: hour:minute; two: hour:minute:second; more: ignored.
void ApplyTimeWord(const std::string& word, DateTimeParts& parts) {
  const std::vector<std::string> fields = SplitAt(word, ':');
  if (fields.size() == 1) {
    parts.minute = StrToInt(fields[0]);
    parts.second = 0;
  } else if (fields.size() == 2) {
    parts.hour = StrToInt(fields[0]);
    parts.minute = StrToInt(fields[1]);
    parts.second = 0;
  } else if (fields.size() == 3) {
    parts.hour = StrToInt(fields[0]);
    parts.minute = StrToInt(fields[1]);
    parts.second = StrToInt(fields[2]);
  }
}

}  // namespace

std::string OptionValue(const std::vector<std::string>& list, const std::string& aliases,
                        const std::string& defaultValue) {
  for (const std::string& name : SplitAt(aliases, ' ')) {
    for (const std::string& entry : list) {
      const std::size_t equals = entry.find('=');
      if (equals == std::string::npos) continue;  // a bare name has no value to give
      if (SameTextIgnoringCase(std::string_view(entry).substr(0, equals), name))
        return entry.substr(equals + 1);
    }
  }
  return defaultValue;
}

int32_t OptionInt(const std::vector<std::string>& list, const std::string& aliases, int32_t defaultValue) {
  return StrToInt(OptionValue(list, aliases, std::to_string(defaultValue)));
}

TDateTime ParseOptionDateTime(const std::string& text, TDateTime now, const FormatSettings& settings) {
  if (text.empty()) return 0;
  DateTimeParts parts{};
  int milliseconds = 0;
  DecodeDateTime(now, parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second,
                 milliseconds);

  const std::size_t wordCount = static_cast<std::size_t>(CountChar(' ', text)) + 1;
  const std::vector<std::string> words = BlankSeparatedWords(text);
  for (std::size_t k = 0; k < wordCount; ++k) {
    const std::string word = WordAt(words, k);
    // A first word of several is a date even without a dash: "7 20:00" is the 7th at 20:00.
    const bool isDate = word.find('-') != std::string::npos || (k == 0 && wordCount > 1);
    if (isDate) {
      ApplyDateWord(word, parts);
    } else {
      ApplyTimeWord(word, parts);
    }
  }
  // An impossible combination names the attempted value in the locale's notation.
  return EncodeDateTime(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second, 0,
                        settings);
}

int CountChar(char c, const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), c));
}

bool HasNoRecEntry(const std::vector<std::string>& list) {
  return std::any_of(list.begin(), list.end(),
                     [](const std::string& entry) { return SameTextIgnoringCase(entry, "norec"); });
}

std::optional<FileType> FileTypeOption(const std::vector<std::string>& list) {
  if (const auto chosen = FileTypeOfWord(OptionValue(list, "t type", ""))) return chosen;
  return list.empty() ? std::nullopt : FileTypeOfName(list.back());
}

StopAfterValue ParseStopAfter(const std::string& value) {
  if (value.empty()) return {StrToInt(value), std::nullopt, value};  // fails, naming the empty text
  // A bare number means megabytes.
  const std::string text = value.find(' ') == std::string::npos ? value + " mb" : value;
  const std::vector<std::string> words = BlankSeparatedWords(text);
  const int32_t number = StrToInt(WordAt(words, 0));
  const std::string unit = LowerCase(WordAt(words, 1));
  // Only "mb" itself means megabytes; "megabytes" written out starts with "m" and means minutes.
  if (unit == "mb") return {number, 0, unit};
  if (unit.empty()) return {number, std::nullopt, unit};
  if (unit[0] == 'm') return {number, 1, unit};
  if (unit[0] == 'h') return {number, 2, unit};
  return {number, std::nullopt, unit};
}

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
  return text;
}

std::optional<int> AfterActionIndex(std::string word) {
  word = LowerCase(std::move(word));
  if (word == "none") return 0;
  if (word == "alert") return 1;
  if (word == "new") return 2;
  if (word == "shutdown") return 3;
  return std::nullopt;
}

}  // namespace orvimo
