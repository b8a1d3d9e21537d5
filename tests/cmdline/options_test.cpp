#include "cmdline/options.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/int_conversion.h"

namespace orvimo {
namespace {

using Entries = std::vector<std::string>;

TEST(OptionValueTest, FirstAliasWinsThenTheEarliestEntry) {
  const Entries list = {"bits=16", "B=8", "b=24", "norec", "e", "stop=21:30", "end=", "take.wav"};
  EXPECT_EQ(OptionValue(list, "b bits", "x"), "8") << "\"b\" is tried before \"bits\", whatever the case";
  EXPECT_EQ(OptionValue(list, "bits b", "x"), "16");
  EXPECT_EQ(OptionValue(list, "e end stop", "x"), "")
      << "a bare \"e\" has no value; \"end=\" has an empty one";
  EXPECT_EQ(OptionValue(list, "stop", "x"), "21:30");
  EXPECT_EQ(OptionValue(list, "norec", "x"), "x") << "entries without \"=\" never match";
  EXPECT_EQ(OptionValue(list, "take.wav", "x"), "x");
  EXPECT_EQ(OptionValue({"a=b=c"}, "a", "x"), "b=c") << "the value is everything after the first \"=\"";
  EXPECT_EQ(OptionValue({}, "m max", "dflt"), "dflt");
}

TEST(OptionIntTest, ConvertsTheValueOrTheDefault) {
  EXPECT_EQ(OptionInt({"f=22050"}, "f freq", 44100), 22050);
  EXPECT_EQ(OptionInt({"freq=$10"}, "f freq", 44100), 16);
  EXPECT_EQ(OptionInt({"take.wav"}, "f freq", 44100), 44100);
  EXPECT_EQ(OptionInt({}, "d device", -1), -1);
  EXPECT_THROW(OptionInt({"b="}, "b bits", 16), ConversionError);
  EXPECT_THROW(OptionInt({"b=x"}, "b bits", 16), ConversionError);
  EXPECT_THROW(OptionInt({"m=1.5"}, "m max", 0), ConversionError);
}

TEST(OptionsTest, NoRecEntryAndCharacterCount) {
  EXPECT_TRUE(HasNoRecEntry({"b=8", "NoRec", "take.wav"}));
  EXPECT_FALSE(HasNoRecEntry({"norec=1", "norecord", "take.wav"}));
  EXPECT_FALSE(HasNoRecEntry({}));
  EXPECT_EQ(CountChar(' ', "2026-12-24  20:00"), 2);
  EXPECT_EQ(CountChar('-', ""), 0);
}

// The option before the name's extension; a word that names no type leaves the choice to the name.
TEST(FileTypeOptionTest, OptionThenTheNamesExtension) {
  struct Case {
    std::vector<std::string> list;
    std::optional<FileType> type;
  };
  for (const Case& c : {Case{{"t=flac", "take.mp3"}, FileType::Flac}, Case{{"type=Opus", ""}, FileType::Opus},
                        Case{{"show.OPUS"}, FileType::Opus}, Case{{"t=ogg", "take.raw"}, FileType::Raw},
                        Case{{"t=ogg", "take.ogg"}, std::nullopt}, Case{{}, std::nullopt}}) {
    EXPECT_EQ(FileTypeOption(c.list), c.type) << ::testing::PrintToString(c.list);
  }
}

TEST(ParseStopAfterTest, NumberAndUnit) {
  struct Case {
    const char* value;
    int32_t number;
    std::optional<int> unit;
  };
  const Case cases[] = {
      {"90 minutes", 90, 1}, {"2 h", 2, 2},  {"700", 700, 0},   {"5000 mb", 5000, 0}, {"5 megabytes", 5, 1},
      {"5 x", 5, {}},        {"5 MB", 5, 0}, {"3 Hours", 3, 2}, {"0 min", 0, 1},      {"-4 mb", -4, 0},
      {"5  x", 5, {}},       {" 5", 5, {}},  {"5 ", 5, {}},     {"$10 m", 16, 1},
  };
  for (const Case& c : cases) {
    const StopAfterValue parsed = ParseStopAfter(c.value);
    EXPECT_EQ(parsed.number, c.number) << c.value;
    EXPECT_EQ(parsed.unitIndex, c.unit) << c.value;
  }
  for (const char* bad : {"", "1.5 hours", "x mb", "99999999999"}) {
    EXPECT_THROW(ParseStopAfter(bad), ConversionError) << bad;
  }
}

class ParseOptionDateTimeTest : public ::testing::Test {
 protected:
  static TDateTime At(int year, int month, int day, int hour, int minute, int second) {
    return EncodeDateTime(year, month, day, hour, minute, second, 0);
  }
  // 6 December 2026, 22:09:38 and a quarter of a second: the milliseconds never carry over.
  const TDateTime now_ = At(2026, 12, 6, 22, 9, 38) + 0.25 / 86400;
};

TEST_F(ParseOptionDateTimeTest, FieldsTheValueSetsReplaceThoseOfNow) {
  struct Case {
    const char* value;
    TDateTime expected;
  };
  const Case cases[] = {
      {"2026-12-24 20:00", At(2026, 12, 24, 20, 0, 0)},
      {"2026-12-24", At(2026, 12, 24, 22, 9, 38)},
      {"12-24", At(2026, 12, 24, 22, 9, 38)},
      {"7 20:00", At(2026, 12, 7, 20, 0, 0)},
      {"21:30", At(2026, 12, 6, 21, 30, 0)},
      {"20:00:15", At(2026, 12, 6, 20, 0, 15)},
      {"30", At(2026, 12, 6, 22, 30, 0)},
      {"2027-1-2 3:4:5", At(2027, 1, 2, 3, 4, 5)},
      {"1-2-3-4 21:30", At(2026, 12, 6, 21, 30, 0)},
      {"1:2:3:4", At(2026, 12, 6, 22, 9, 38)},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(ParseOptionDateTime(c.value, now_), c.expected, 1e-9) << c.value;
  }
  EXPECT_EQ(ParseOptionDateTime("", now_), 0);
  EXPECT_LT(ParseOptionDateTime("1800-01-01", now_), 0);
}

TEST_F(ParseOptionDateTimeTest, EmptyFieldsAreNoNumbers) {
  for (const char* value : {"2026-12-24  20:00", "2026--24", "20:", " 30", "x", "2026-12-24 20:00 "}) {
    EXPECT_THROW(ParseOptionDateTime(value, now_), ConversionError) << value;
  }
}

TEST_F(ParseOptionDateTimeTest, ImpossibleDatesNameTheAttemptInTheLocalesNotation) {
  FormatSettings german;
  german.dateSeparator = '.';
  german.decimalSeparator = ',';
  const std::pair<const char*, const char*> cases[] = {
      {"2026-13-01", "''2026.13.1 22:9:38,0'' is not a valid date and time"},
      {"04-31", "''2026.4.31 22:9:38,0'' is not a valid date and time"},
      {"24:00", "''2026.12.6 24:0:0,0'' is not a valid date and time"},
      {"60", "''2026.12.6 22:60:0,0'' is not a valid date and time"},
  };
  for (const auto& [value, message] : cases) {
    try {
      ParseOptionDateTime(value, now_, german);
      ADD_FAILURE() << value << " was accepted";
    } catch (const DateTimeError& error) {
      EXPECT_STREQ(error.what(), message);
    }
  }
}

}  // namespace
}  // namespace orvimo
