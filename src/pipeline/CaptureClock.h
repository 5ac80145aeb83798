#pragma once
#include <chrono>
#include <cstdint>
#include <memory>

#include "core/WindowHandle.h"
#include "pipeline/WorkerThread.h"
#include "platform/PlatformValues.h"

namespace lorik {

class DeadlineTimerPort;
class MessagePosterPort;

// What the capture clock posts to the main window for each capture.
inline constexpr uint32_t kCaptureTickMessage = wm::kApp + 2;

// Deadlines at fixed points, start + n x period, so that a late wake-up moves
// none of the later ones and the lateness never adds up.
class TickSchedule {
 public:
  TickSchedule(int64_t start, int64_t period) : start_(start), period_(period) {}
  int64_t NextDeadline() const { return start_ + static_cast<int64_t>(slot_ + 1) * period_; }
  // How many slots have come due by `now` since the last call: 0 before the
  // next deadline. The next deadline is then the first one after `now`.
  uint64_t Advance(int64_t now);

 private:
  int64_t start_;
  int64_t period_;
  uint64_t slot_ = 0;  // the last slot that came due
};

// The pace of the capture. A thread of its own waits for the deadlines of the
// period and posts kCaptureTickMessage to the window, whose thread runs the
// capture, so the capture keeps its one thread. A tick is posted only once the
// window has handled the one before: a window that falls behind gets its next
// tick at the first deadline after it is free again, never a burst, and the
// slots it missed are counted as skipped. Between the two the window's queue
// holds no tick, so input, painting and timers, which come after posted
// messages, are not starved. Used on the user-interface thread.
class CaptureClock {
 public:
  CaptureClock(std::shared_ptr<DeadlineTimerPort> timer, std::shared_ptr<MessagePosterPort> poster,
               ThreadLauncher launch = DefaultThreadLauncher());
  // Stops the thread; one that does not end in time is left to end on its own.
  ~CaptureClock();

  // Ticks `window` every `periodMs` milliseconds. A running clock keeps its
  // phase when the period is the same and counts a new period from now when
  // it is not. False when no clock can run: there is no usable timer, the
  // thread does not start, or a wait of this clock has failed before.
  bool Start(WindowHandle window, uint32_t periodMs);
  void Stop();
  // The window has handled a tick: the next one may be posted.
  void TickHandled();

  bool Running() const { return run_ != nullptr; }
  uint32_t PeriodMs() const { return run_ ? periodMs_ : 0; }
  // A wait failed: the thread posted one more tick, so that the window
  // notices, and ended.
  bool Failed() const;
  // Ticks posted and slots skipped since the clock was made.
  uint64_t Posted() const;
  uint64_t Skipped() const;

  // How long Stop waits for the thread.
  std::chrono::milliseconds stopWait{500};

 private:
  struct Run;
  // The thread's body: waits, and posts or skips, until the run is stopped.
  static void Loop(Run& run, DeadlineTimerPort& timer, MessagePosterPort& poster);

  std::shared_ptr<DeadlineTimerPort> timer_;
  std::shared_ptr<MessagePosterPort> poster_;
  ThreadLauncher launch_;
  std::shared_ptr<Run> run_;
  WorkerThread thread_;
  uint32_t periodMs_ = 0;
  // What the runs that have ended left.
  uint64_t posted_ = 0;
  uint64_t skipped_ = 0;
  bool failed_ = false;
};

}  // namespace lorik
