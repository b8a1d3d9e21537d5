#pragma once

#include <string>
#include <string_view>

namespace orvimo::win32 {

// The program keeps its text in UTF-8; the Win32 API is called with UTF-16 at the edges, so names
// outside the ANSI code page survive. Invalid input is replaced, never thrown on.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace orvimo::win32
