#include "app/win32/program_info_output.h"

#include <windows.h>

#include "base/win32/wide_text.h"

namespace orvimo::win32 {

namespace {

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

bool WriteAll(HANDLE output, const std::string& text) {
  DWORD written = 0;
  return WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
         written == text.size();
}

// A GUI program has no console of its own; the one of the command prompt that started it is borrowed
// for the text. The prompt does not wait for a GUI program, so the text may follow its next prompt.
bool WriteToParentConsole(const std::string& text) {
  if (AttachConsole(ATTACH_PARENT_PROCESS) == 0) return false;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  bool written = false;
  if (console != INVALID_HANDLE_VALUE) {
    const std::wstring wide = WideFromUtf8(text);
    DWORD count = 0;
    written = WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &count, nullptr) != 0;
    CloseHandle(console);
  }
  FreeConsole();
  return written;
}

}  // namespace

int ShowProgramInfo(const std::string& text) {
  const std::string lines = WithCrLf(text);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output != nullptr && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN) {
    return WriteAll(output, lines) ? 0 : 1;
  }
  if (WriteToParentConsole("\r\n" + lines)) return 0;
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"Orvimo", MB_OK | MB_ICONINFORMATION);
  return 0;
}

}  // namespace orvimo::win32
