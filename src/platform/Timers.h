#pragma once

namespace lorik {

// Window timers of one window. Ticks arrive as WM_TIMER messages of that window.
class TimerPort {
 public:
  virtual ~TimerPort() = default;
  // Starts or restarts timer `id`; returns the platform's result (the id, or 0 on failure).
  virtual unsigned Start(unsigned id, unsigned periodMs) = 0;
  virtual void Kill(unsigned id) = 0;
};

}  // namespace lorik
