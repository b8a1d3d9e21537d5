// Hostile option values: the integer conversion, the stop-after value, the date-and-time value, the
// alias lookup and the notes on what is not taken as written. Only the documented errors may come out,
// and results keep their invariants.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/int_conversion.h"
#include "cmdline/option_notes.h"
#include "cmdline/options.h"

namespace {

// Names the broken invariant before the fuzzer records the input.
#define Require(condition)                                                                     \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (false)

// Plain decimal text ("  -123"): the only form with an obvious reference, so the conversion is checked
// against strtoll there.
bool IsPlainDecimal(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  if (i == text.size() || i + 18 < text.size()) return false;  // short enough for strtoll
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

void CheckStrToInt(const std::string& text) {
  try {
    const int32_t value = orvimo::StrToInt(text);
    Require(orvimo::StrToInt(std::to_string(value)) == value);
    if (IsPlainDecimal(text)) Require(value == std::strtoll(text.c_str(), nullptr, 10));
  } catch (const orvimo::ConversionError& error) {
    // what() is a C string: a NUL in the text ends the message there.
    const std::string expected = "'" + text + "' is not a valid integer value";
    Require(std::string(error.what()) == expected.substr(0, expected.find('\0')));
    if (IsPlainDecimal(text)) {
      const long long wide = std::strtoll(text.c_str(), nullptr, 10);
      Require(wide < INT32_MIN || wide > INT32_MAX);  // plain decimal fails only out of range
    }
  }
}

void CheckStopAfter(const std::string& text) {
  try {
    const orvimo::StopAfterValue value = orvimo::ParseStopAfter(text);
    if (value.unitIndex) Require(*value.unitIndex >= 0 && *value.unitIndex <= 2);
  } catch (const orvimo::ConversionError&) {
  }
}

void CheckDateTime(const std::string& text, orvimo::TDateTime now) {
  try {
    const orvimo::TDateTime value = orvimo::ParseOptionDateTime(text, now);
    Require(std::isfinite(value));
    if (text.empty()) Require(value == 0);
  } catch (const orvimo::ConversionError&) {
  } catch (const orvimo::DateTimeError&) {
  }
}

void CheckOptionLookup(FuzzedDataProvider& input, orvimo::TDateTime now) {
  std::vector<std::string> list;
  const size_t count = input.ConsumeIntegralInRange<size_t>(0, 8);
  for (size_t i = 0; i < count; ++i) list.push_back(input.ConsumeRandomLengthString(40));
  const std::string aliases = input.ConsumeRandomLengthString(20);
  const std::string fallback = input.ConsumeRandomLengthString(10);

  const std::string value = orvimo::OptionValue(list, aliases, fallback);
  // The result is the default or the text after the first "=" of some entry.
  bool fromEntry = false;
  for (const std::string& entry : list) {
    const size_t equals = entry.find('=');
    if (equals != std::string::npos && entry.substr(equals + 1) == value) fromEntry = true;
  }
  Require(fromEntry || value == fallback);
  (void)orvimo::HasNoRecEntry(list);
  try {
    (void)orvimo::OptionInt(list, aliases, input.ConsumeIntegral<int32_t>());
  } catch (const orvimo::ConversionError&) {
  }
  Require(orvimo::CountChar(' ', aliases) <= static_cast<int>(aliases.size()));
  // The notes never throw: a value that does not convert is the start-up's error, not theirs.
  for (const std::string& note : orvimo::OptionNotes(list, now)) Require(!note.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // 1900 .. 2100: the clock of a real machine, whatever the fuzzer picks.
  const orvimo::TDateTime now = input.ConsumeFloatingPointInRange<double>(1.0, 73415.0);
  const std::string first = input.ConsumeRandomLengthString(64);
  CheckStrToInt(first);
  CheckStopAfter(first);
  CheckDateTime(first, now);
  CheckOptionLookup(input, now);
  return 0;
}
