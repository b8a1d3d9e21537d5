#include "controls/win32/win32_system_colors.h"

#include <windows.h>

#include "controls/color32.h"

namespace orvimo::win32 {

void InstallWin32SystemColorTable() {
  // COLORREF is 0x00BBGGRR, the same as TColor.
  SetSystemColorTable([](int index) -> TColor { return GetSysColor(index); });
}

}  // namespace orvimo::win32
