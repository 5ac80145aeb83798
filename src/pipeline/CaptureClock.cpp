#include "pipeline/CaptureClock.h"

#include <atomic>
#include <system_error>
#include <utility>

#include "platform/DeadlineTimer.h"
#include "platform/Poster.h"

namespace lorik {

uint64_t TickSchedule::Advance(int64_t now) {
  if (now < NextDeadline()) return 0;
  const uint64_t due = static_cast<uint64_t>((now - start_) / period_);
  const uint64_t passed = due - slot_;
  slot_ = due;
  return passed;
}

// What one thread of the clock shares with the window's thread.
struct CaptureClock::Run {
  WindowHandle window;
  std::atomic<int64_t> period;  // nanoseconds
  std::atomic<bool> stop{false};
  std::atomic<bool> pending{false};  // a tick is posted and not handled yet
  std::atomic<bool> failed{false};
  std::atomic<uint64_t> posted{0};
  std::atomic<uint64_t> skipped{0};
};

namespace {

constexpr int64_t kNanosecondsPerMs = 1'000'000;

}  // namespace

void CaptureClock::Loop(Run& run, DeadlineTimerPort& timer, MessagePosterPort& poster) {
  int64_t period = run.period.load();
  TickSchedule schedule(timer.Now(), period);
  while (!run.stop.load()) {
    if (!timer.WaitUntil(schedule.NextDeadline())) {
      run.failed.store(true);
      poster.Post(run.window, kCaptureTickMessage);
      return;
    }
    if (run.stop.load()) return;
    const int64_t now = timer.Now();
    if (const int64_t wanted = run.period.load(); wanted != period) {
      period = wanted;
      schedule = TickSchedule(now, period);
      continue;
    }
    const uint64_t due = schedule.Advance(now);
    if (due == 0) continue;  // woken early
    // The window has not handled the last tick: it gets no second one.
    if (run.pending.exchange(true)) {
      run.skipped += due;
      continue;
    }
    if (poster.Post(run.window, kCaptureTickMessage)) {
      ++run.posted;
      run.skipped += due - 1;
    } else {
      // A full queue: this slot is lost, the next one is tried.
      run.pending.store(false);
      run.skipped += due;
    }
  }
}

CaptureClock::CaptureClock(std::shared_ptr<DeadlineTimerPort> timer,
                           std::shared_ptr<MessagePosterPort> poster, ThreadLauncher launch)
    : timer_(std::move(timer)), poster_(std::move(poster)), launch_(std::move(launch)) {}

CaptureClock::~CaptureClock() {
  Stop();
}

bool CaptureClock::Start(WindowHandle window, uint32_t periodMs) {
  const int64_t period = static_cast<int64_t>(periodMs) * kNanosecondsPerMs;
  if (run_ && run_->window == window && !run_->failed.load()) {
    if (periodMs != periodMs_) {
      periodMs_ = periodMs;
      run_->period.store(period);
      timer_->Interrupt();
    }
    return true;
  }
  Stop();
  if (failed_ || !timer_ || !poster_ || !timer_->Usable() || periodMs == 0) return false;
  auto run = std::make_shared<Run>();
  run->window = window;
  run->period.store(period);
  try {
    thread_ = WorkerThread(
        launch_, [run, timer = timer_, poster = poster_] { Loop(*run, *timer, *poster); });
  } catch (const std::system_error&) {
    return false;
  }
  run_ = std::move(run);
  periodMs_ = periodMs;
  return true;
}

void CaptureClock::Stop() {
  if (!run_) return;
  run_->stop.store(true);
  timer_->Interrupt();
  if (!thread_.WaitFor(stopWait)) thread_.Abandon();
  posted_ += run_->posted.load();
  skipped_ += run_->skipped.load();
  failed_ = failed_ || run_->failed.load();
  run_.reset();
  periodMs_ = 0;
}

void CaptureClock::TickHandled() {
  if (run_) run_->pending.store(false);
}

bool CaptureClock::Failed() const {
  return failed_ || (run_ && run_->failed.load());
}

uint64_t CaptureClock::Posted() const {
  return posted_ + (run_ ? run_->posted.load() : 0);
}

uint64_t CaptureClock::Skipped() const {
  return skipped_ + (run_ ? run_->skipped.load() : 0);
}

}  // namespace lorik
