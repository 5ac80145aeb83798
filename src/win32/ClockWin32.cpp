#include "win32/ClockWin32.h"

#include <windows.h>

namespace lorik {

SystemTime ClockWin32::LocalTime() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

uint64_t ClockWin32::TickCount() {
  return GetTickCount64();
}

}  // namespace lorik
