#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/Clock.h"

namespace lorik {

// A clock that moves only when told. Advance() moves the tick count and the
// local time's seconds and milliseconds together. Thread-safe.
class FakeClock final : public ClockPort {
 public:
  SystemTime LocalTime() override {
    std::lock_guard lock(mutex_);
    return now_;
  }
  uint64_t TickCount() override { return tick_.load(); }

  void SetLocalTime(const SystemTime& time) {
    std::lock_guard lock(mutex_);
    now_ = time;
  }
  void SetTick(uint64_t tick) { tick_.store(tick); }
  // Moves both the tick count and the clock forward by `ms` milliseconds
  // (minutes and hours carry; the date does not).
  void Advance(uint64_t ms) {
    tick_ += ms;
    std::lock_guard lock(mutex_);
    uint64_t total = now_.milliseconds + ms;
    now_.milliseconds = static_cast<uint16_t>(total % 1000);
    total = now_.second + total / 1000;
    now_.second = static_cast<uint16_t>(total % 60);
    total = now_.minute + total / 60;
    now_.minute = static_cast<uint16_t>(total % 60);
    total = now_.hour + total / 60;
    now_.hour = static_cast<uint16_t>(total % 24);
  }

 private:
  std::mutex mutex_;
  SystemTime now_{2018, 7, 4, 5, 9, 3, 7, 45};
  std::atomic<uint64_t> tick_{1'000'000};
};

}  // namespace lorik
