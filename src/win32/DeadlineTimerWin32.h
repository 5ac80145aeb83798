#pragma once
#include <windows.h>

#include "platform/DeadlineTimer.h"

namespace lorik {

// The performance counter and a waitable timer. The timer is of high
// resolution where Windows offers one (Windows 10 1803 and later); elsewhere a
// plain one, with the system's timer resolution raised to 1 ms while it lives.
class DeadlineTimerWin32 final : public DeadlineTimerPort {
 public:
  // `highResolution` false takes the plain timer where the other would do,
  // so that the tests reach it.
  explicit DeadlineTimerWin32(bool highResolution = true);
  ~DeadlineTimerWin32() override;
  DeadlineTimerWin32(const DeadlineTimerWin32&) = delete;
  DeadlineTimerWin32& operator=(const DeadlineTimerWin32&) = delete;

  bool Usable() override;
  CounterTime Now() override;
  bool WaitUntil(CounterTime deadline) override;
  void Interrupt() override;

  bool HighResolution() const { return highResolution_; }

 private:
  HANDLE timer_ = nullptr;
  HANDLE interrupt_ = nullptr;  // auto-reset: an Interrupt waits for the next wait
  int64_t frequency_ = 0;
  bool highResolution_ = false;
  bool raisedResolution_ = false;
};

}  // namespace lorik
