#pragma once
#include <windows.h>

#include "platform/Timers.h"

namespace lorik {

// Window timers of one HWND; ticks arrive as its WM_TIMER.
class TimerWin32 final : public TimerPort {
 public:
  explicit TimerWin32(HWND window) : window_(window) {}
  unsigned Start(unsigned id, unsigned periodMs) override;
  void Kill(unsigned id) override;

 private:
  HWND window_;
};

}  // namespace lorik
