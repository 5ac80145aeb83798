// The capture clock on the real API: its thread's ticks against the
// performance counter (figures printed, not asserted), the waitable timer's
// deadline and interrupt, thread priorities, and capture times to the
// millisecond.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "pipeline/CaptureClock.h"
#include "win32/ClockWin32.h"
#include "win32/DeadlineTimerWin32.h"
#include "win32/PosterWin32.h"
#include "win32/SchedulingWin32.h"

namespace lorik {
namespace {

constexpr int64_t kMs = 1'000'000;

// A window of this thread that only receives the clock's ticks.
class TickWindow {
 public:
  TickWindow() {
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  ~TickWindow() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }
  WindowHandle Handle64() const { return WindowHandle{reinterpret_cast<uintptr_t>(window_)}; }

 private:
  HWND window_;
};

struct Figures {
  size_t ticks = 0;
  size_t timerMessages = 0;
  size_t queuedBehind = 0;  // ticks that found the next one queued as they ended
  uint64_t posted = 0;
  uint64_t skipped = 0;
  double median = 0, p99 = 0, largest = 0;
};

// Runs the clock for `duration`, handling each tick as the main window does
// (in `handlerMs`, standing for the capture), times the ticks with the
// performance counter and counts the messages of a 10 ms window timer.
Figures RunClock(uint32_t periodMs, int64_t duration, DWORD handlerMs = 0) {
  TickWindow window;
  auto timer = std::make_shared<DeadlineTimerWin32>();
  CaptureClock clock(timer, std::make_shared<PosterWin32>(),
                     LauncherAt(std::make_shared<ThreadPriorityWin32>(), ThreadPriority::Highest));
  EXPECT_TRUE(clock.Start(window.Handle64(), periodMs));
  SetTimer(window.Handle(), 1, 10, nullptr);
  Figures f;
  std::vector<int64_t> times;
  const int64_t end = timer->Now() + duration;
  MSG msg;
  while (timer->Now() < end) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_FAILED) break;
    // One message at a time, in the queue's own order, as GetMessage takes them.
    while (timer->Now() < end && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd != window.Handle()) continue;
      if (msg.message == WM_TIMER) ++f.timerMessages;
      if (msg.message != kCaptureTickMessage) continue;
      times.push_back(timer->Now());
      if (handlerMs > 0) Sleep(handlerMs);
      clock.TickHandled();
      MSG next;
      if (PeekMessageW(&next, window.Handle(), kCaptureTickMessage, kCaptureTickMessage,
                       PM_NOREMOVE))
        ++f.queuedBehind;
    }
  }
  clock.Stop();
  KillTimer(window.Handle(), 1);
  // A tick posted just before the stop is still in the queue.
  while (PeekMessageW(&msg, window.Handle(), kCaptureTickMessage, kCaptureTickMessage, PM_REMOVE))
    times.push_back(timer->Now());
  f.posted = clock.Posted();
  f.skipped = clock.Skipped();
  f.ticks = times.size();
  std::vector<double> intervals;
  for (size_t i = 1; i < times.size(); ++i)
    intervals.push_back(static_cast<double>(times[i] - times[i - 1]) / kMs);
  if (intervals.empty()) return f;
  std::sort(intervals.begin(), intervals.end());
  f.median = intervals[intervals.size() / 2];
  f.p99 = intervals[std::min(intervals.size() - 1, intervals.size() * 99 / 100)];
  f.largest = intervals.back();
  return f;
}

void Print(const char* what, uint32_t periodMs, const Figures& f) {
  std::printf(
      "%s at %u ms: %zu ticks, intervals median %.2f ms, p99 %.2f ms, largest %.2f ms; "
      "%llu slots skipped; %zu WM_TIMER of 10 ms; %zu ticks found the next one queued\n",
      what, periodMs, f.ticks, f.median, f.p99, f.largest,
      static_cast<unsigned long long>(f.skipped), f.timerMessages, f.queuedBehind);
}

TEST(CaptureClockWin32, TicksAgainstThePerformanceCounter) {
  const bool throttlingOff = OptOutOfPowerThrottling();
  std::printf("high-resolution waitable timer: %s; power throttling opt-out: %s\n",
              DeadlineTimerWin32().HighResolution() ? "yes" : "no (plain timer, 1 ms resolution)",
              throttlingOff ? "accepted" : "refused or missing");
  const struct {
    uint32_t periodMs;
    int64_t duration;
  } runs[] = {{10, 2000 * kMs}, {100, 1000 * kMs}};
  for (const auto& run : runs) {
    const Figures f = RunClock(run.periodMs, run.duration);
    Print("clock for 1-2 s", run.periodMs, f);
    // Every tick the thread posted reached the window, and only those.
    EXPECT_GT(f.ticks, 0u);
    EXPECT_EQ(f.ticks, f.posted);
  }
}

// A capture slower than the period: the clock skips slots instead of keeping
// a tick always queued, so the window's timers, which come after posted
// messages, still run. A tick posted while the last one still ran would be
// waiting behind nearly every one.
TEST(CaptureClockWin32, ACaptureSlowerThanThePeriodLeavesRoomForTheWindowsTimers) {
  const Figures f = RunClock(10, 1000 * kMs, 15);
  Print("clock with a 15 ms capture", 10, f);
  EXPECT_GT(f.ticks, 0u);
  EXPECT_GT(f.skipped, 0u);
  EXPECT_GT(f.timerMessages, 0u);
  EXPECT_LT(f.queuedBehind * 2, f.ticks);
}

// Both kinds of timer: the plain one serves where the high-resolution one is
// refused.
class DeadlineTimerWin32Test : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Kinds, DeadlineTimerWin32Test, ::testing::Values(true, false));

TEST_P(DeadlineTimerWin32Test, WaitsForItsDeadlineAndAnInterruptEndsTheWait) {
  DeadlineTimerWin32 timer(GetParam());
  ASSERT_TRUE(timer.Usable());
  if (!GetParam()) {
    EXPECT_FALSE(timer.HighResolution());
  }
  const int64_t deadline = timer.Now() + 20 * kMs;
  EXPECT_TRUE(timer.WaitUntil(deadline));
  EXPECT_GE(timer.Now(), deadline);
  // A deadline that has passed returns at once.
  EXPECT_TRUE(timer.WaitUntil(timer.Now() - 5 * kMs));
  // An interrupt made before the wait ends it, long before its deadline, and
  // only that wait.
  timer.Interrupt();
  const int64_t later = timer.Now() + 10'000 * kMs;
  EXPECT_TRUE(timer.WaitUntil(later));
  EXPECT_LT(timer.Now(), later);
  const int64_t next = timer.Now() + 20 * kMs;
  EXPECT_TRUE(timer.WaitUntil(next));
  EXPECT_GE(timer.Now(), next);
  // From another thread, during the wait.
  std::thread interrupter([&] {
    Sleep(20);
    timer.Interrupt();
  });
  EXPECT_TRUE(timer.WaitUntil(timer.Now() + 10'000 * kMs));
  interrupter.join();
}

TEST(CaptureClockWin32, EachPriorityReachesTheThread) {
  const std::pair<ThreadPriority, int> cases[] = {
      {ThreadPriority::BelowNormal, THREAD_PRIORITY_BELOW_NORMAL},
      {ThreadPriority::Normal, THREAD_PRIORITY_NORMAL},
      {ThreadPriority::Highest, THREAD_PRIORITY_HIGHEST},
  };
  for (const auto& [priority, level] : cases) {
    int seen = THREAD_PRIORITY_ERROR_RETURN;
    std::thread([&, priority = priority] {
      ThreadPriorityWin32().SetCurrentThread(priority);
      seen = GetThreadPriority(GetCurrentThread());
    }).join();
    EXPECT_EQ(seen, level);
  }
}

FILETIME AsFileTime(const SystemTime& t) {
  const SYSTEMTIME s{t.year, t.month,  t.dayOfWeek, t.day,
                     t.hour, t.minute, t.second,    t.milliseconds};
  FILETIME f{};
  SystemTimeToFileTime(&s, &f);
  return f;
}

int64_t Hundreds(const FILETIME& f) {
  return static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
}

// Frames 10 ms apart tell apart by their milliseconds, and the time is the
// local time the system shows.
TEST(CaptureClockWin32, CaptureTimesTellFramesTenMillisecondsApart) {
  ClockWin32 clock;
  DeadlineTimerWin32 timer;
  std::vector<SystemTime> times{clock.LocalTime()};
  for (int i = 0; i < 20; ++i) {
    timer.WaitUntil(timer.Now() + 10 * kMs);
    times.push_back(clock.LocalTime());
  }
  for (size_t i = 1; i < times.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NE(times[i].milliseconds, times[i - 1].milliseconds);
    EXPECT_GT(Hundreds(AsFileTime(times[i])), Hundreds(AsFileTime(times[i - 1])));
  }
  SYSTEMTIME system{};
  GetLocalTime(&system);
  FILETIME shown{};
  SystemTimeToFileTime(&system, &shown);
  const int64_t apart = Hundreds(shown) - Hundreds(AsFileTime(clock.LocalTime()));
  EXPECT_LT(apart < 0 ? -apart : apart, 10'000'000);  // within a second
}

}  // namespace
}  // namespace lorik
