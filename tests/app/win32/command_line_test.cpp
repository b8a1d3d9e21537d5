#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/system_services.h"
#include "cmdline/cl_parser.h"

namespace orvimo::win32 {
namespace {

// ctest starts this program with the arguments below (see CMakeLists.txt); they reach it through Wine
// and GetCommandLineW, then the splitter, as they would from a shortcut on Windows.
TEST(ProcessCommandLineTest, CarriesTheArgumentsToTheSplitter) {
  const std::string line = ProcessCommandLine();
  std::vector<std::string> entries;
  ASSERT_TRUE(SplitCommandLine(line, entries)) << line;
  const std::vector<std::string> expected{"b=8", "m=30 minutes", "norec",
                                          "C:\\My Music\\Aufnahme \xC3\xA4\xE2\x82\xAC [yyyy-mm-dd].wav"};
  EXPECT_EQ(entries, expected) << line;
}

}  // namespace
}  // namespace orvimo::win32
