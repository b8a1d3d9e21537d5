#include "cmdline/option_notes.h"

#include <gtest/gtest.h>

#include "cmdline/cl_parser.h"

namespace orvimo {
namespace {

using Notes = std::vector<std::string>;

// 6 December 2026, 22:09:38.
const TDateTime kNow = EncodeDateTime(2026, 12, 6, 22, 9, 38, 0);

Notes NotesFor(const std::string& arguments) {
  std::vector<std::string> list;
  SplitCommandLine("orvimo2 " + arguments, list);
  return OptionNotes(list, kNow);
}

TEST(OptionNotesTest, SaysWhatIsNotTakenAsWritten) {
  const std::pair<const char*, Notes> cases[] = {
      {"-b 8 -c 1 -f 22050 -d 2 -a ALERT -m 90 minutes take.wav", {}},
      {"-b 16 -c 2 -a none -m 2 h -s 2026-12-24 20:00 -norec take.wav", {}},
      {"-m 700 -e 23:00 -NoRec take.wav", {"-e 23:00: ignored, -m sets the stop"}},
      {"take.wav", {}},
      {"-t FLAC -norec take.flac", {}},
      {"-t flac take.mp3", {"-t flac: FLAC recorded into \"take.flac\", not MP3 as the file name said"}},
      {"-type ogg take.wav", {"-t ogg: unknown type, ignored (wav, raw, flac, opus or mp3)"}},
      {"-b 24 take.wav", {"-b 24: 16 bit taken instead (8 or 16)"}},
      {"-bits 32 -c 3", {"-b 32: 16 bit taken instead (8 or 16)", "-c 3: stereo taken instead (1 or 2)"}},
      {"-c 0 take.wav", {"-c 0: stereo taken instead (1 or 2)"}},
      {"-a bogus", {"-a bogus: \"Do nothing\" taken instead (alert, new, shutdown or none)"}},
      {"-a shutdown now", {"-a shutdown now: \"Do nothing\" taken instead (alert, new, shutdown or none)"}},
      {"-x 5 -b8 -norec=1 take.wav",
       {"-x: unknown option, ignored", "-b8: unknown option, ignored", "-norec: unknown option, ignored"}},
      // The tokenizer starts an option at "-5": the limit the user meant is not there at all.
      {"-m -5 take.wav",
       {"-m: no value, ignored, so no stop limit is set (a value that begins with \"-\" needs double quotes)",
        "-5: unknown option, ignored"}},
      {"-d -1 -m 5",
       {"-d: no value, ignored (a value that begins with \"-\" needs double quotes)",
        "-1: unknown option, ignored"}},
      {"-m \"-5\"", {"-m -5: 1 megabyte taken instead (the limit is 1 to 999)"}},
      {"-m 0 take.wav", {"-m 0: 1 megabyte taken instead (the limit is 1 to 999)"}},
      {"-m 5000 mb", {"-m 5000 mb: 999 megabytes taken instead (the limit is 1 to 999)"}},
      {"-m 0 min", {"-m 0 min: 1 minute taken instead (the limit is 1 to 999)"}},
      {"-m 5 megabytes",
       {"-m 5 megabytes: 5 minutes taken instead (\"megabytes\" read as minutes, only \"mb\" means "
        "megabytes)"}},
      {"-m 2 hx", {"-m 2 hx: 2 hours taken instead (\"hx\" read as hours)"}},
      {"-m 5 x", {"-m 5 x: 5 in the unit already chosen taken instead (unknown unit \"x\")"}},
      {"-m 1000 x",
       {"-m 1000 x: 999 in the unit already chosen taken instead (the limit is 1 to 999; unknown unit "
        "\"x\")"}},
      // Values that do not convert are the errors of the start-up, not notes.
      {"-b x -c 1.5 -m x mb -s 99:99 -e 2026-13-01", {}},
  };
  for (const auto& [arguments, expected] : cases) EXPECT_EQ(NotesFor(arguments), expected) << arguments;
}

TEST(OptionNotesTest, StartAndStopTimesAlreadyPast) {
  const std::pair<const char*, Notes> cases[] = {
      {"-s 22:30 -e 23:00 -norec take.wav", {}},
      {"-s 22:09:38 -norec take.wav", {"-s 22:09:38: that time has passed, the recording starts at once"}},
      {"-s 21:30 -e 2026-12-06 22:00 -norec take.wav",
       {"-s 21:30: that time has passed, the recording starts at once",
        "-e 2026-12-06 22:00: that time has passed, the recording stops at once"}},
      {"-stop 22:09:38 take.wav", {"-e 22:09:38: that time has passed, the recording stops at once"}},
      {"-s 1800-01-01 -norec take.wav", {"-s 1800-01-01: too early a date, so no start time is set"}},
  };
  for (const auto& [arguments, expected] : cases) EXPECT_EQ(NotesFor(arguments), expected) << arguments;
}

}  // namespace
}  // namespace orvimo
