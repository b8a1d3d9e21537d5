#pragma once

#include <string>

namespace orvimo {

// The manual page orvimo2(1) in roff, built from the same usage text as "orvimo2 --help", so the two
// cannot tell different things. date: the release date, "2026-12-09".
std::string ManualPage(const std::string& date);

}  // namespace orvimo
