#pragma once

#include <string>
#include <vector>

namespace orvimo {

// Splits the raw process command line (program path first) into option entries ("name=value" or a bare
// name) followed by the trailing file name (possibly empty). Returns false, list untouched, when the line
// carries no arguments.
bool SplitCommandLine(const std::string& line, std::vector<std::string>& list);

}  // namespace orvimo
