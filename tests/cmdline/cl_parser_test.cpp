#include "cmdline/cl_parser.h"

#include <gtest/gtest.h>

#include <random>

namespace orvimo {
namespace {

using Entries = std::vector<std::string>;

Entries Split(const std::string& line) {
  Entries list{"left over"};
  EXPECT_TRUE(SplitCommandLine(line, list)) << line;
  return list;
}

TEST(SplitCommandLineTest, ArgumentsBecomeEntriesAndATrailingFileName) {
  struct Case {
    const char* arguments;
    Entries entries;
  };
  const Case cases[] = {
      {"-b 8 -c 1 -f 22050 night.wav", {"b=8", "c=1", "f=22050", "night.wav"}},
      {R"(-s 2026-12-24 20:00 -e 21:30 -a shutdown "C:\My Music\Show [yyyy-mm-dd].wav")",
       {"s=2026-12-24 20:00", "e=21:30", "a=shutdown", R"(C:\My Music\Show [yyyy-mm-dd].wav)"}},
      {"/m 30 minutes /norec take.wav", {"m=30 minutes", "norec", "take.wav"}},
      {"take.wav", {"take.wav"}},
      {R"("my take.wav")", {"my take.wav"}},
      {"-norec", {"norec", ""}},
      {"take", {"take", ""}},
      {"-m=5 hours", {"m=5 hours", ""}},
      {R"(-a "new" --bits 8)", {"a=new", "bits=8", ""}},
      {"-d -1", {"d", "1", ""}},
      {R"(-d "-1")", {"d=-1", ""}},
      {"-b8", {"b8", ""}},
      {"-s 06.12.2026", {"s", "06.12.2026"}},
      {"-f 44100.0", {"f", "44100.0"}},
      {"-b 8 /tmp/x.wav", {"b=8", "tmp/x.wav", ""}},
      {R"(-x C:\a-b\c)", {R"(x=C:\a-b\c)", ""}},
      {"-a one /two", {"a=one", "two", ""}},
      {R"(-a "one /two")", {"a=one /two", ""}},
      {"-a x=y z", {"a=x=y z", ""}},
      {"-b 8 --", {"b=8", ""}},
      {"-b 8 -/ -- -c 1", {"b=8", "c=1", ""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Split(std::string("rec.exe ") + c.arguments), c.entries) << c.arguments;
  }
}

TEST(SplitCommandLineTest, ProgramPath) {
  EXPECT_EQ(Split(R"(C:\Program Files\Rec\rec.exe -b 8)"), (Entries{R"(Files\Rec\rec.exe)", "b=8", ""}));
  EXPECT_EQ(Split(R"("C:\Program Files\Rec\rec.exe" -b 8)"), (Entries{"b=8", ""}));
  EXPECT_EQ(Split("  rec.exe     -b 8 \t "), (Entries{"b=8", ""}));
}

TEST(SplitCommandLineTest, NoArgumentsLeavesTheListAlone) {
  for (const std::string& line : Entries{"", "rec.exe", R"("C:\Program Files\Rec\rec.exe")", "rec.exe   \t ",
                                         std::string(10000, ' ')}) {
    Entries list{"kept"};
    EXPECT_FALSE(SplitCommandLine(line, list)) << line;
    EXPECT_EQ(list, Entries{"kept"});
  }
}

TEST(SplitCommandLineTest, HostileLinesGiveWellFormedLists) {
  const std::string alphabet = " -/\".=ab\t\x01\xff";
  std::mt19937 random(2026);
  for (int round = 0; round < 300; ++round) {
    std::string line = "rec.exe ";
    const std::size_t length = random() % (round < 20 ? 10000 : 60);
    for (std::size_t i = 0; i < length; ++i) line += alphabet[random() % alphabet.size()];
    Entries list;
    if (!SplitCommandLine(line, list)) continue;
    ASSERT_FALSE(list.empty()) << line;
    for (const std::string& entry : list) EXPECT_EQ(entry.find('"'), std::string::npos) << line;
  }
  EXPECT_EQ(Split("rec.exe " + std::string(10000, '-')), Entries{""});
  EXPECT_EQ(Split("rec.exe " + std::string(10000, '"')).back(), "");
  EXPECT_EQ(Split("rec.exe \"-b 8"), (Entries{"-b=8", ""})) << "a lone quote hides the option start";
}

}  // namespace
}  // namespace orvimo
