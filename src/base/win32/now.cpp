#include <windows.h>

#include "base/date_time.h"

namespace orvimo {

TDateTime Now() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return EncodeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                        local.wMilliseconds);
}

}  // namespace orvimo
