// Hostile file-name templates and date/time formats: no crash, no read past the end, no exception but
// the documented pad-width conversion error, and text without groups passes unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/date_time.h"
#include "base/int_conversion.h"
#include "recording/file_name_template.h"

namespace {

// Names the broken invariant before the fuzzer records the input.
#define Require(condition)                                                                     \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (false)

// Any double, including NaN, infinities and dates outside the calendar: the formatter must cope.
double ConsumeAnyDateTime(FuzzedDataProvider& input) {
  if (input.ConsumeBool()) return input.ConsumeFloatingPointInRange<double>(-700000.0, 3000000.0);
  return input.ConsumeFloatingPoint<double>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint16_t counter = input.ConsumeIntegral<uint16_t>();
  const double clock = ConsumeAnyDateTime(input);
  const std::string format = input.ConsumeRandomLengthString(64);
  const std::string templ = input.ConsumeRemainingBytesAsString();

  const std::string formatted = orvimo::FormatDateTime(format, clock);
  Require(formatted.size() < 64 * 64 + 256);  // bounded by the format, never runaway

  try {
    const std::string name = orvimo::ParseFileNameTemplate(templ, counter, [clock] { return clock; });
    if (templ.find('[') == std::string::npos) Require(name == templ);
  } catch (const orvimo::ConversionError&) {
    // A pad width that is no 32-bit number: the start is abandoned with this message.
  }
  return 0;
}
