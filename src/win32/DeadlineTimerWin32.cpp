#include "win32/DeadlineTimerWin32.h"

#include "win32/SystemDll.h"

namespace lorik {
namespace {

// Not in the MinGW-w64 headers of Debian 12.
constexpr DWORD kHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr UINT kRaisedResolutionMs = 1;

using CreateTimerEx = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
using TimePeriod = UINT(WINAPI*)(UINT);  // timeBeginPeriod, timeEndPeriod

// winmm is not a known DLL, so it is loaded from System32, never imported.
TimePeriod TimePeriodFunction(const char* name) {
  static const win32::SystemDll winmm(L"winmm.dll");
  return winmm.Find<TimePeriod>(name);
}

}  // namespace

DeadlineTimerWin32::DeadlineTimerWin32(bool highResolution) {
  LARGE_INTEGER frequency{};
  if (QueryPerformanceFrequency(&frequency)) frequency_ = frequency.QuadPart;
  const win32::SystemDll kernel32(L"kernel32.dll");
  const CreateTimerEx create =
      highResolution ? kernel32.Find<CreateTimerEx>("CreateWaitableTimerExW") : nullptr;
  if (create != nullptr) {
    timer_ = create(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS);
    highResolution_ = timer_ != nullptr;
  }
  if (timer_ == nullptr) {
    // Refused before Windows 10 1803: a plain timer then wakes on the
    // system's timer tick, which is raised to 1 ms for it.
    timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (TimePeriod begin = TimePeriodFunction("timeBeginPeriod"))
      raisedResolution_ = begin(kRaisedResolutionMs) == 0;  // TIMERR_NOERROR
  }
  interrupt_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

DeadlineTimerWin32::~DeadlineTimerWin32() {
  if (raisedResolution_) {
    if (TimePeriod end = TimePeriodFunction("timeEndPeriod")) end(kRaisedResolutionMs);
  }
  if (timer_ != nullptr) CloseHandle(timer_);
  if (interrupt_ != nullptr) CloseHandle(interrupt_);
}

bool DeadlineTimerWin32::Usable() {
  return timer_ != nullptr && interrupt_ != nullptr && frequency_ > 0;
}

CounterTime DeadlineTimerWin32::Now() {
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  // In two parts, so that a counter of many days does not overflow.
  const int64_t ticks = count.QuadPart;
  return ticks / frequency_ * 1'000'000'000 + ticks % frequency_ * 1'000'000'000 / frequency_;
}

bool DeadlineTimerWin32::WaitUntil(CounterTime deadline) {
  const HANDLE handles[] = {timer_, interrupt_};
  // A timer may wake a little before the counter reaches the deadline; the
  // rest is waited for again.
  for (int64_t left = deadline - Now(); left > 0; left = deadline - Now()) {
    LARGE_INTEGER due{};
    due.QuadPart = -((left + 99) / 100);  // negative: relative, in 100 ns units
    if (!SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) return false;
    switch (WaitForMultipleObjects(2, handles, FALSE, INFINITE)) {
      case WAIT_OBJECT_0:
        break;
      case WAIT_OBJECT_0 + 1:
        CancelWaitableTimer(timer_);
        return true;
      default:
        return false;
    }
  }
  return true;
}

void DeadlineTimerWin32::Interrupt() {
  SetEvent(interrupt_);
}

}  // namespace lorik
