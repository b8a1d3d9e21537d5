#include "app/win32/win32_free_space.h"

#include <windows.h>

#include "base/win32/wide_text.h"

namespace orvimo::win32 {

int64_t Win32FreeSpace::BytesFree(const std::string& path) {
  ULARGE_INTEGER available{};
  const std::wstring widePath = WideFromUtf8(path);
  if (!GetDiskFreeSpaceExW(path.empty() ? nullptr : widePath.c_str(), &available, nullptr, nullptr))
    return -1;
  return static_cast<int64_t>(available.QuadPart);
}

}  // namespace orvimo::win32
