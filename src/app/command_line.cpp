#include "app/command_line.h"

namespace orvimo {

namespace {

bool NeedsQuotes(const std::string& argument) {
  return argument.empty() || argument.find(' ') != std::string::npos || argument.front() == '/';
}

}  // namespace

std::string JoinCommandLine(const std::vector<std::string>& programAndArguments) {
  std::string line;
  for (const std::string& argument : programAndArguments) {
    if (!line.empty()) line += ' ';
    if (NeedsQuotes(argument))
      line += '"' + argument + '"';
    else
      line += argument;
  }
  return line;
}

}  // namespace orvimo
