#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/DeadlineTimer.h"

namespace lorik {

// A counter that moves only when the test moves it, and a wait that returns
// once the counter has reached its deadline, at an Interrupt, or when the test
// says so. Thread-safe: the clock's thread waits while the test drives.
class FakeDeadlineTimer final : public DeadlineTimerPort {
 public:
  bool Usable() override { return usable; }
  CounterTime Now() override {
    std::lock_guard lock(mutex_);
    return now_;
  }
  bool WaitUntil(CounterTime deadline) override {
    std::unique_lock lock(mutex_);
    deadlines_.push_back(deadline);
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return now_ >= deadline || interrupted_ || wakeEarly_ || failing_; });
    waiting_ = false;
    interrupted_ = false;
    wakeEarly_ = false;
    changed_.notify_all();
    return !failing_;
  }
  void Interrupt() override {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    changed_.notify_all();
  }

  void Advance(int64_t nanoseconds) {
    std::lock_guard lock(mutex_);
    now_ += nanoseconds;
    changed_.notify_all();
  }
  // Ends the current wait before its deadline, as a platform timer may.
  void WakeEarly() {
    std::lock_guard lock(mutex_);
    wakeEarly_ = true;
    changed_.notify_all();
  }
  // Every wait fails from now on.
  void FailWaits() {
    std::lock_guard lock(mutex_);
    failing_ = true;
    changed_.notify_all();
  }
  // Blocks until a thread waits for a deadline still ahead, that is until the
  // clock has done all it does for the time so far; that deadline, or nothing
  // when no thread came to wait within five seconds.
  std::optional<int64_t> AwaitIdle() {
    std::unique_lock lock(mutex_);
    const bool idle = changed_.wait_for(lock, std::chrono::seconds(5), [&] {
      return waiting_ && !wakeEarly_ && !interrupted_ && deadlines_.back() > now_;
    });
    if (!idle) return std::nullopt;
    return deadlines_.back();
  }
  bool Waiting() {
    std::lock_guard lock(mutex_);
    return waiting_;
  }
  // The deadline of every wait so far, oldest first.
  std::vector<int64_t> Deadlines() {
    std::lock_guard lock(mutex_);
    return deadlines_;
  }

  bool usable = true;  // set before the clock starts

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t now_ = 5'000'000'000;
  bool waiting_ = false;
  bool interrupted_ = false;
  bool wakeEarly_ = false;
  bool failing_ = false;
  std::vector<int64_t> deadlines_;
};

}  // namespace lorik
