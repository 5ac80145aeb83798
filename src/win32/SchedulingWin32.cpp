#include "win32/SchedulingWin32.h"

#include <windows.h>

#include "win32/SystemDll.h"

namespace lorik {

void ThreadPriorityWin32::SetCurrentThread(ThreadPriority priority) {
  // In the order of ThreadPriority.
  constexpr int kLevels[] = {THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                             THREAD_PRIORITY_HIGHEST};
  SetThreadPriority(GetCurrentThread(), kLevels[static_cast<int>(priority)]);
}

bool OptOutOfPowerThrottling() {
  // Windows 8 and later; the throttling classes from Windows 10 1709.
  const win32::SystemDll kernel32(L"kernel32.dll");
  auto set = kernel32.Find<decltype(&::SetProcessInformation)>("SetProcessInformation");
  if (set == nullptr) return false;
  PROCESS_POWER_THROTTLING_STATE state{};
  state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
  // Control without state: throttling off for what the mask names.
  state.ControlMask =
      PROCESS_POWER_THROTTLING_EXECUTION_SPEED | PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION;
  state.StateMask = 0;
  if (set(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof(state))) return true;
  // A Windows that does not know the timer-resolution flag refuses the whole call.
  state.ControlMask = PROCESS_POWER_THROTTLING_EXECUTION_SPEED;
  return set(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof(state)) != 0;
}

}  // namespace lorik
