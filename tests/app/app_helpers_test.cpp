// The window's pure helpers: the rebuilt command line, the next name of a chain, the disk watch and
// the date/time split.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/date_time_parts.h"
#include "app/disk_watch.h"
#include "app/when_finished.h"
#include "cmdline/cl_parser.h"

namespace orvimo {
namespace {

TEST(JoinCommandLine, QuotesWhatTheSplitterWouldOtherwiseCut) {
  EXPECT_EQ(JoinCommandLine({"/usr/bin/orvimo2"}), "\"/usr/bin/orvimo2\"");
  EXPECT_EQ(JoinCommandLine({"orvimo2", "-b", "8", "/tmp/x.wav"}), "orvimo2 -b 8 \"/tmp/x.wav\"");
  EXPECT_EQ(JoinCommandLine({"orvimo2", "-m", "30 minutes", ""}), "orvimo2 -m \"30 minutes\" \"\"");
}

TEST(JoinCommandLine, AbsolutePathsSurviveTheSplitter) {
  const std::vector<std::vector<std::string>> cases{
      {"/opt/orvimo2", "/tmp/rec/take_[i].wav"},
      {"/opt/orvimo2", "-b", "8", "-c", "1", "/tmp/my dir/small.wav"},
      {"/opt/orvimo2", "-m", "30 minutes", "-norec", "/tmp/a-b/take.wav"},
  };
  for (const auto& arguments : cases) {
    std::vector<std::string> list;
    ASSERT_TRUE(SplitCommandLine(JoinCommandLine(arguments), list));
    EXPECT_EQ(list.back(), arguments.back());
  }
  std::vector<std::string> list;
  SplitCommandLine(JoinCommandLine({"/opt/orvimo2", "-m", "30 minutes", "/tmp/t.wav"}), list);
  EXPECT_EQ(list, (std::vector<std::string>{"m=30 minutes", "/tmp/t.wav"}));
}

TEST(WithCounterBeforeExtension, PutsTheCounterBeforeTheExtensionOfTheNamePart) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"D:\\rec\\take.wav", "D:\\rec\\take([i]).wav"}, {"D:\\rec\\take", "D:\\rec\\take([i])"},
      {"D:\\my.dir\\take", "D:\\my.dir\\take([i])"},   {"/home/me/my.dir/take", "/home/me/my.dir/take([i])"},
      {"C:take.x.wav", "C:take.x([i]).wav"},           {"Take_[i].wav", "Take_[i].wav"},
      {"D:\\[i]\\take.wav", "D:\\[i]\\take.wav"},      {"take.[i]", "take([i]).[i]"},
      {"take_[I].wav", "take_[I]([i]).wav"},           {"", "([i])"},
  };
  for (const auto& [before, after] : cases) EXPECT_EQ(WithCounterBeforeExtension(before), after) << before;
}

// Between two looks the recording writes at most a quarter of the disk reserve; further than four
// seconds of audio from its next look, the disk needs no watching between status ticks.
TEST(DiskWatch, PaceAndNeedFollowTheDataRate) {
  const struct {
    int64_t bytesPerSecond;
    int64_t milliseconds;
    int64_t farthestWatched;  // bytes to the next look that still need watching
  } cases[] = {{176400, 145, 4 * 176400 + 3},
               {8000, 250, 32003},
               {1536000, 20, 4 * 1536000 + 3},
               {int64_t{1} << 40, 20, (int64_t{4} << 40) + 3}};
  for (const auto& c : cases) {
    EXPECT_EQ(DiskWatchInterval(c.bytesPerSecond).count(), c.milliseconds) << c.bytesPerSecond;
    EXPECT_TRUE(DiskWatchNeeded(c.farthestWatched, c.bytesPerSecond)) << c.bytesPerSecond;
    EXPECT_FALSE(DiskWatchNeeded(c.farthestWatched + 1, c.bytesPerSecond)) << c.bytesPerSecond;
  }
  for (const int64_t unknownRate : {0, -1}) {
    EXPECT_EQ(DiskWatchInterval(unknownRate).count(), 250);
    EXPECT_TRUE(DiskWatchNeeded(int64_t{1} << 50, unknownRate));
  }
}

TEST(DateTimeParts, TimeOfDayMovesWithoutCarryingADay) {
  EXPECT_DOUBLE_EQ(WithTimeOf(46362.25, 46300.75), 46362.75);
  EXPECT_DOUBLE_EQ(WithTimeOf(46362.99, 46363.0), 46362.0);
  EXPECT_DOUBLE_EQ(WithTimeOf(-1.25, 0.5), -1.5);  // before the zero point the time counts forwards too
}

}  // namespace
}  // namespace orvimo
