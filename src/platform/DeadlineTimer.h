#pragma once
#include <cstdint>

namespace lorik {

// Nanoseconds of a steady counter of high resolution, whose origin means nothing.
using CounterTime = int64_t;

// The counter and a timer that wakes one thread at a point of it: what the
// capture clock paces itself with.
class DeadlineTimerPort {
 public:
  virtual ~DeadlineTimerPort() = default;
  // False when the platform gave no timer; the caller then paces otherwise.
  virtual bool Usable() = 0;
  virtual CounterTime Now() = 0;
  // Returns once Now() has reached `deadline`, or earlier after Interrupt; an
  // Interrupt made while nobody waits ends the next wait at once. The caller
  // looks at Now() either way. False when the wait failed.
  virtual bool WaitUntil(CounterTime deadline) = 0;
  // From any thread.
  virtual void Interrupt() = 0;
};

}  // namespace lorik
