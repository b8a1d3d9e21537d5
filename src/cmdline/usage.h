#pragma once

#include <string>
#include <vector>

namespace orvimo {

// The command line's own form: options begin with "-" everywhere, with "/" too on Windows, and the
// settings live in a file or in the registry.
enum class CommandLinePlatform { kPosix, kWindows };

enum class ProgramInfoRequest { kNone, kHelp, kVersion };

// Whether the raw command line (program path first) asks for the help ("--help", "-h", "-?", and "/?"
// on Windows) or the version ("--version"). Decided on the split entries, so an option's value or the
// file name that merely contains "--help" asks for nothing; help wins over the version.
ProgramInfoRequest FindProgramInfoRequest(const std::string& commandLine);

// One line of a usage list: the term ("-b, -bits", "[i]", "0") with its value placeholder, if any, and
// what it means.
struct UsageItem {
  std::string term;
  std::string value;
  std::string meaning;
};

// What the help and the manual page both tell, in one place: the options, the file-name template's
// groups, the run without a display with its exit statuses, and where the settings live.
struct UsageText {
  std::string introduction;
  std::vector<UsageItem> options;
  std::string templateIntroduction;
  std::vector<UsageItem> templateGroups;
  std::string withoutDisplay;  // empty on Windows, which always shows its window
  std::vector<UsageItem> exitStatuses;
  std::string settings;
};

UsageText Usage(CommandLinePlatform platform);

// The text "orvimo2 --help" prints, lines of at most 79 characters.
std::string HelpText(CommandLinePlatform platform);
// "orvimo2 <version>" and a line end.
std::string VersionText();

// The help or the version the raw command line asks for, empty when it asks for neither.
std::string ProgramInfoText(const std::string& commandLine, CommandLinePlatform platform);

}  // namespace orvimo
