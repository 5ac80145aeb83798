#include "win32/TimersWin32.h"

namespace lorik {

unsigned TimerWin32::Start(unsigned id, unsigned periodMs) {
  return static_cast<unsigned>(::SetTimer(window_, id, periodMs, nullptr));
}

void TimerWin32::Kill(unsigned id) {
  ::KillTimer(window_, id);
}

}  // namespace lorik
