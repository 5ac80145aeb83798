#include "win32/ClockWin32.h"

#include <windows.h>

#include "win32/SystemDll.h"

namespace lorik {
namespace {

using SystemTimeFunction = void(WINAPI*)(LPFILETIME);

// GetLocalTime moves with the system's timer tick, about 15.6 ms by default,
// so frames 10 ms apart could carry the same time. The precise clock
// (Windows 8 and later) moves with the performance counter.
SystemTimeFunction UtcNow() {
  static const SystemTimeFunction precise =
      win32::SystemDll(L"kernel32.dll").Find<SystemTimeFunction>("GetSystemTimePreciseAsFileTime");
  return precise != nullptr ? precise : &GetSystemTimeAsFileTime;
}

}  // namespace

SystemTime ClockWin32::LocalTime() {
  FILETIME utc{};
  UtcNow()(&utc);
  FILETIME local{};
  SYSTEMTIME t{};
  // The local time as GetLocalTime forms it: the zone's bias of the moment.
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

uint64_t ClockWin32::TickCount() {
  return GetTickCount64();
}

}  // namespace lorik
