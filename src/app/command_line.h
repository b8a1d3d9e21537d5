#pragma once

#include <string>
#include <vector>

namespace orvimo {

// Rebuilds one command line from the program path and its arguments, the way the command-line
// splitter expects it: an argument is put in double quotes when it holds a blank, is empty, or begins
// with "/", so an absolute path is never taken for an option.
std::string JoinCommandLine(const std::vector<std::string>& programAndArguments);

}  // namespace orvimo
