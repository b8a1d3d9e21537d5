#include "cmdline/usage.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvimo {
namespace {

struct RequestCase {
  const char* commandLine;
  ProgramInfoRequest expected;
};

TEST(FindProgramInfoRequestTest, OnlyAnOptionOfItsOwnAsks) {
  using enum ProgramInfoRequest;
  const RequestCase cases[] = {
      {"orvimo2 --help", kHelp},
      {"orvimo2 -h", kHelp},
      {"orvimo2 -?", kHelp},
      {"orvimo2 -HELP", kHelp},
      {"orvimo2.exe /?", kHelp},
      {"orvimo2 -b 8 --help take.wav", kHelp},
      {"orvimo2 --version", kVersion},
      {"orvimo2 --version --help", kHelp},
      {"orvimo2 --help --version", kHelp},
      {"orvimo2", kNone},
      {"orvimo2 take.wav", kNone},
      {"orvimo2 --help.wav", kNone},
      {"orvimo2 -b 8 \"my --help.wav\"", kNone},
      {"orvimo2 -m \"5 --help\" take.wav", kNone},
      {"orvimo2 -a \"--version\" take.wav", kNone},  // a quoted value is a value
      {"orvimo2 -helper -hh -versions", kNone},
      {"orvimo2 -s 21:30 help.wav", kNone},
      {"orvimo2 h=take.wav", kNone},  // a file name, though it reads like a named value
      {"orvimo2 \"/?\"", kNone},  // Linux passes an argument beginning with "/" quoted: a path, never an option
  };
  for (const RequestCase& c : cases) {
    EXPECT_EQ(FindProgramInfoRequest(c.commandLine), c.expected) << c.commandLine;
  }
}

TEST(HelpTextTest, NamesEveryOptionInThePlatformsFormWithinTheLineWidth) {
  const std::string posix = HelpText(CommandLinePlatform::kPosix);
  const std::string windows = HelpText(CommandLinePlatform::kWindows);
  for (const char* name : {"b", "bits", "c", "channels", "f", "freq", "d", "device", "a", "after", "s", "start",
                           "e", "end", "stop", "m", "max", "norec", "h", "?"}) {
    EXPECT_NE(posix.find(std::string("-") + name), std::string::npos) << name;
    EXPECT_NE(windows.find(std::string("/") + name), std::string::npos) << name;
  }
  EXPECT_NE(posix.find("--help"), std::string::npos);
  EXPECT_NE(posix.find("orvimo2.ini"), std::string::npos);
  EXPECT_NE(posix.find("\n  2 "), std::string::npos) << "the exit statuses of the run without a display";
  EXPECT_NE(windows.find("HKEY_CURRENT_USER"), std::string::npos);
  EXPECT_EQ(windows.find("DISPLAY"), std::string::npos) << "the Windows program always has its window";
  for (const std::string* text : {&posix, &windows}) {
    std::istringstream lines(*text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
  }
}

TEST(ProgramInfoTextTest, AnswersTheRequestOrNothing) {
  EXPECT_EQ(ProgramInfoText("orvimo2 --help", CommandLinePlatform::kPosix), HelpText(CommandLinePlatform::kPosix));
  EXPECT_EQ(ProgramInfoText("orvimo2 --version", CommandLinePlatform::kPosix), VersionText());
  EXPECT_EQ(ProgramInfoText("orvimo2 -b 8 take.wav", CommandLinePlatform::kPosix), "");
}

}  // namespace
}  // namespace orvimo
