#pragma once

#include <string>
#include <string_view>

namespace orvimo {

// File names on Linux are bytes and need not be valid UTF-8, while the window edits UTF-16 text. A byte
// that is no part of a valid UTF-8 sequence is held in the text as the lone low surrogate U+DC80 + its
// value minus 0x80 (valid UTF-8 never yields those), so a name comes back from the text byte for byte.
std::u16string FileNameToText(std::string_view bytes);
std::string FileNameFromText(std::u16string_view text);

}  // namespace orvimo
