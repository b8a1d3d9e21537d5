#include "base/strftime_format.h"

#include <gtest/gtest.h>

#include <string>

#include "base/date_time.h"

namespace orvimo {
namespace {

struct MappingCase {
  const char* strftimeFormat;
  const char* expected;
  char dateSeparator = '/';
};

class StrftimeMappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(StrftimeMappingTest, TranslatesToTheFormattingLanguage) {
  const StrftimeFormat format(GetParam().strftimeFormat, StrftimeFormat::LocaleFormats{});
  EXPECT_EQ(format.ToDateTimeFormat(GetParam().dateSeparator, ':'), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, StrftimeMappingTest,
    ::testing::Values(MappingCase{"%m/%d/%y", "mm/dd/yy"}, MappingCase{"%d.%m.%Y", "dd.mm.yyyy", '.'},
                      MappingCase{"%Y-%m-%d", "yyyy-mm-dd", '-'}, MappingCase{"%F", "yyyy-mm-dd"},
                      MappingCase{"%D", "mm/dd/yy"}, MappingCase{"%d/%m", "dd\"/\"mm", '.'},
                      MappingCase{"%T", "hh:nn:ss"}, MappingCase{"%R", "hh:nn"},
                      MappingCase{"%I:%M:%S %p", "hh:nn:ss AMPM"}, MappingCase{"%r", "hh:nn:ss AMPM"},
                      MappingCase{"%l:%M", "h:nn AMPM"}, MappingCase{"%p %I:%M", "AMPM hh:nn"},
                      MappingCase{"%-d/%-m/%Y", "d/m/yyyy"}, MappingCase{"%_H", "h"},
                      MappingCase{"%a %b %e %Y", "ddd mmm d yyyy"}, MappingCase{"%A %B", "dddd mmmm"},
                      MappingCase{"%h", "mmm"}, MappingCase{"%Ey %OH", "yy hh"},
                      MappingCase{"%Hh%M", "hh\"h\"nn"}, MappingCase{"%d%d", "dd''dd"},
                      MappingCase{"%Y年%m月%d日", "yyyy年mm月dd日"}, MappingCase{"%d'%m", "dd\"'\"mm"},
                      MappingCase{"%d\"%m", "dd'\"'mm"}, MappingCase{"%Z %z %j %U", "   "},
                      MappingCase{"100%%", "100%"}, MappingCase{"50%", "50%"}, MappingCase{"%x", "mm/dd/yy"},
                      MappingCase{"%X", "hh:nn:ss"}, MappingCase{"%c", "ddd mmm d hh:nn:ss yyyy"},
                      MappingCase{"%n%t", "  "}, MappingCase{"", ""}, MappingCase{"%-", ""}));

TEST(StrftimeFormatTest, SelfReferringLocaleFormatsStop) {
  StrftimeFormat::LocaleFormats looping;
  looping.date = "%x%x";
  looping.dateTime = "%c %x";
  EXPECT_EQ(StrftimeFormat("%x", looping).ToDateTimeFormat('/', ':'), "");
  EXPECT_EQ(StrftimeFormat(std::string_view("%\0d", 3), looping).ToDateTimeFormat('/', ':'), "\"d\"");
  EXPECT_EQ(StrftimeFormat("%c", looping).ToDateTimeFormat('/', ':'), "   ");
}

struct PartCase {
  const char* strftimeFormat;
  const char* dateOnly;
  const char* withoutSeconds;
};

class StrftimePartsTest : public ::testing::TestWithParam<PartCase> {};

TEST_P(StrftimePartsTest, KeepsTheChosenFieldsWithTheirSeparators) {
  const StrftimeFormat format(GetParam().strftimeFormat, StrftimeFormat::LocaleFormats{});
  EXPECT_EQ(format.DateFieldsOnly().ToDateTimeFormat('/', ':'), GetParam().dateOnly);
  EXPECT_EQ(format.WithoutSeconds().ToDateTimeFormat('/', ':'), GetParam().withoutSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StrftimePartsTest,
    ::testing::Values(PartCase{"%a %b %e %H:%M:%S %Y", "ddd mmm d yyyy", "ddd mmm d hh:nn yyyy"},
                      PartCase{"%a %d %b %Y %r %Z", "ddd dd mmm yyyy", "ddd dd mmm yyyy hh:nn AMPM "},
                      PartCase{"%H:%M %d.%m", "dd.mm", "hh:nn dd.mm"}, PartCase{"%T", "", "hh:nn"},
                      PartCase{"Le %d %B", "\"Le\" dd mmmm", "\"Le\" dd mmmm"}));

TEST(StrftimeFormatTest, FindsTheFirstSeparatorBetweenFields) {
  const StrftimeFormat::LocaleFormats locale;
  EXPECT_EQ(StrftimeFormat("%d.%m.%Y", locale).FirstSeparator('/'), '.');
  EXPECT_EQ(StrftimeFormat("%Y-%m-%d", locale).FirstSeparator('/'), '-');
  EXPECT_EQ(StrftimeFormat("[%d]", locale).FirstSeparator('/'), '/');
  EXPECT_EQ(StrftimeFormat("%Y年%m月%d日", locale).FirstSeparator('/'), '/');
  EXPECT_EQ(StrftimeFormat("%H.%M", locale).FirstSeparator(':'), '.');
  EXPECT_TRUE(StrftimeFormat("%e", locale).HasDateFields());
  EXPECT_FALSE(StrftimeFormat("%H:%M", locale).HasDateFields());
}

}  // namespace
}  // namespace orvimo
