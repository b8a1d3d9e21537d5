#include "recording/file_name_template.h"

#include <gtest/gtest.h>

#include "base/int_conversion.h"

namespace orvimo {
namespace {

// 6 December 2026, 22:09:38.
TDateTime Start() { return EncodeDateTime(2026, 12, 6, 22, 9, 38, 0); }

std::string Expand(const std::string& templ, uint16_t counter = 1) {
  return ParseFileNameTemplate(templ, counter, Start);
}

TEST(FileNameTemplateTest, ExpandsCounterDatesAndPadWidths) {
  struct Case {
    const char* templ;
    uint16_t counter;
    const char* expected;
  };
  const Case cases[] = {
      {"Recording_[i].wav", 1, "Recording_1.wav"},
      {"Recording_[i].wav", 12, "Recording_12.wav"},
      {"Recording_[i].wav", 65535, "Recording_65535.wav"},
      {"[i][i]", 3, "33"},
      {"Rec_[yyyy-mm-dd]_[hh-nn-ss].wav", 1, "Rec_2026-12-06_22-09-38.wav"},
      {"Take[3d].wav", 1, "Take006.wav"},
      {"Take[d3].wav", 1, "Take600.wav"},
      {"[4yy]_[i].wav", 1, "0026_1.wav"},
      {"[1yyyy].wav", 1, "2026.wav"},
      {"[0d]", 1, "6"},
      {"[hh'h'nn].wav", 1, "22h09.wav"},
      {"[hh-mm]", 1, "22-09"},
      {"[I]", 1, "I"},
      {"\"Night [i].wav\"", 1, "\"Night 1.wav\""},  // the caller drops the quotes
      {"plain name.wav", 1, "plain name.wav"},
      {"a]b].wav", 1, "a]b].wav"},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.templ, c.counter), c.expected) << c.templ;
}

TEST(FileNameTemplateTest, BracketsWithoutAPartner) {
  EXPECT_EQ(Expand("[]x[]"), "x");
  EXPECT_EQ(Expand("Take[d]_[yyyy.wav"), "Take6_[yyyy.wav");
  // The body "[[d" formats to "[[6", whose first "[" then has no "]" after it.
  EXPECT_EQ(Expand("[[[d]"), "[[6");
  // A result that brings a "[" of its own: "[" followed by "x]" is one more group, within the passes.
  EXPECT_EQ(Expand("['[']x]"), "x");
  EXPECT_EQ(Expand("['[']"), "[");
}

TEST(FileNameTemplateTest, BodyOfPadDigitsOnlyIsTheShortDateAndLongTime) {
  const std::string dateAndTime = FormatDateTime("c", Start());
  ASSERT_GT(dateAndTime.size(), 1u);
  EXPECT_EQ(Expand("[[i]]"), dateAndTime) << "the counter is substituted before groups are scanned";
  EXPECT_EQ(Expand("[60]"), std::string(60 - dateAndTime.size(), '0') + dateAndTime);
}

TEST(FileNameTemplateTest, PadWidthIsBoundedAndMustBeANumber) {
  const std::string padded = Expand("[99999d]");
  EXPECT_EQ(padded.size(), 4096u);
  EXPECT_EQ(padded.back(), '6');
  EXPECT_THROW(Expand("Take[99999999999d].wav"), ConversionError);
  EXPECT_THROW(Expand("Take[d2147483648].wav"), ConversionError);
}

TEST(FileNameTemplateTest, ReadsTheClockOncePerGroupAsItIsFormatted) {
  int calls = 0;
  const auto ticking = [&calls] { return Start() + (calls++) / 86400.0; };
  EXPECT_EQ(ParseFileNameTemplate("[ss]-[ss]-[i]-[]", 4, ticking), "38-39-4-");
  EXPECT_EQ(calls, 2);
}

TEST(FileNameTemplateTest, HostileTemplatesFinish) {
  EXPECT_EQ(Expand(std::string(10000, '[')), std::string(10000, '['));
  EXPECT_EQ(Expand(std::string(10000, ']')), std::string(10000, ']'));
  std::string groups;
  for (int i = 0; i < 2500; ++i) groups += "[d]";
  EXPECT_EQ(Expand(groups), std::string(2500, '6'));
}

}  // namespace
}  // namespace orvimo
