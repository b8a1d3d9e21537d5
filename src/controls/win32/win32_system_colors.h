#pragma once

namespace orvimo::win32 {

// System colours (clBtnFace and the like) resolved by GetSysColor, read at each use, so a change of the
// desktop's colours shows at the next paint.
void InstallWin32SystemColorTable();

}  // namespace orvimo::win32
