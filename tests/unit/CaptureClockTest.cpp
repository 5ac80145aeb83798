// The capture clock on a fake counter: deadlines at fixed points however late
// the thread wakes, one tick at a time to the window and the missed slots
// counted, a period changed while running, stop and start, and the cases
// where no clock can run.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "fakes/FakeDeadlineTimer.h"
#include "fakes/FakePoster.h"
#include "pipeline/CaptureClock.h"

namespace lorik {
namespace {

constexpr int64_t kMs = 1'000'000;
constexpr WindowHandle kWindow{0x4242};

TEST(TickScheduleTest, AWakeUpCountsTheSlotsDueAndTheNextDeadlineStaysOnTheGrid) {
  struct Case {
    int64_t wake;
    uint64_t due;
    int64_t next;
  };
  const Case cases[] = {
      {9 * kMs, 0, 10 * kMs},   // early: nothing is due yet
      {10 * kMs, 1, 20 * kMs},  // on time
      {27 * kMs, 1, 30 * kMs},  // late within the slot: the next keeps its place
      {30 * kMs, 1, 40 * kMs}, {75 * kMs, 4, 80 * kMs},  // 40, 50, 60 and 70 came due at once
      {79 * kMs, 0, 80 * kMs},
  };
  TickSchedule schedule(0, 10 * kMs);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wake);
    EXPECT_EQ(schedule.Advance(c.wake), c.due);
    EXPECT_EQ(schedule.NextDeadline(), c.next);
  }
}

class CaptureClockTest : public ::testing::Test {
 protected:
  // Moves the counter on once the clock waits, and waits until it has done
  // what that asks.
  void Advance(int64_t nanoseconds) {
    ASSERT_TRUE(timer->AwaitIdle());
    timer->Advance(nanoseconds);
    ASSERT_TRUE(timer->AwaitIdle());
  }
  // The ticks posted since the last call; each must be a tick for the window.
  size_t TakeTicks() {
    size_t ticks = 0;
    for (const auto& [window, message] : poster->Take()) {
      EXPECT_EQ(window, kWindow);
      EXPECT_EQ(message, kCaptureTickMessage);
      ++ticks;
    }
    return ticks;
  }
  // The deadline the clock waits for now.
  int64_t Waiting() { return timer->AwaitIdle().value_or(-1); }

  std::shared_ptr<FakeDeadlineTimer> timer = std::make_shared<FakeDeadlineTimer>();
  std::shared_ptr<FakePoster> poster = std::make_shared<FakePoster>();
  CaptureClock clock{timer, poster};
};

// A clock that waited for "a period from now" would lose the lateness of
// every wake-up; this one ends exactly on the grid.
TEST_F(CaptureClockTest, DeadlinesStayOnTheGridOverThousandsOfLateWakeUps) {
  const int64_t start = timer->Now();
  ASSERT_TRUE(clock.Start(kWindow, 10));
  constexpr int kTicks = 3000;
  for (int n = 1; n <= kTicks; ++n) {
    const int64_t deadline = Waiting();
    ASSERT_EQ(deadline, start + n * 10 * kMs) << "tick " << n;
    // Up to 9 ms late, 13 s in all, and never a whole slot.
    Advance(deadline + (n * 7919) % (9 * kMs) - timer->Now());
    ASSERT_EQ(TakeTicks(), 1u) << "tick " << n;
    clock.TickHandled();
  }
  EXPECT_EQ(Waiting(), start + (kTicks + 1) * 10 * kMs);
  EXPECT_EQ(clock.Posted(), static_cast<uint64_t>(kTicks));
  EXPECT_EQ(clock.Skipped(), 0u);
}

TEST_F(CaptureClockTest, AWindowThatFallsBehindGetsOneTickAndTheMissedSlotsAreCounted) {
  const int64_t start = timer->Now();
  ASSERT_TRUE(clock.Start(kWindow, 10));
  Advance(10 * kMs);
  EXPECT_EQ(TakeTicks(), 1u);
  // The window is busy: four slots pass with the tick still in its queue.
  for (int i = 0; i < 4; ++i) Advance(10 * kMs);
  EXPECT_EQ(TakeTicks(), 0u);
  EXPECT_EQ(clock.Skipped(), 4u);
  clock.TickHandled();
  Advance(10 * kMs);
  EXPECT_EQ(TakeTicks(), 1u);
  clock.TickHandled();
  // The thread itself wakes three slots late: one tick, two slots skipped,
  // and the next deadline is still on the grid.
  Advance(35 * kMs);
  EXPECT_EQ(TakeTicks(), 1u);
  EXPECT_EQ(clock.Skipped(), 6u);
  EXPECT_EQ(Waiting(), start + 100 * kMs);
  EXPECT_EQ(clock.Posted(), 3u);
}

TEST_F(CaptureClockTest, APeriodChangedWhileRunningCountsFromTheChange) {
  const int64_t start = timer->Now();
  ASSERT_TRUE(clock.Start(kWindow, 100));
  Advance(100 * kMs);
  clock.TickHandled();
  Advance(150 * kMs);
  EXPECT_EQ(TakeTicks(), 2u);
  clock.TickHandled();
  ASSERT_TRUE(clock.Start(kWindow, 20));
  EXPECT_EQ(clock.PeriodMs(), 20u);
  EXPECT_EQ(Waiting(), start + 270 * kMs);
  Advance(20 * kMs);
  EXPECT_EQ(TakeTicks(), 1u);
  EXPECT_EQ(Waiting(), start + 290 * kMs);
  // The same period again keeps the phase: no new wait, the same deadline.
  const size_t waits = timer->Deadlines().size();
  ASSERT_TRUE(clock.Start(kWindow, 20));
  EXPECT_EQ(Waiting(), start + 290 * kMs);
  EXPECT_EQ(timer->Deadlines().size(), waits);
  EXPECT_EQ(clock.Skipped(), 0u);
}

TEST_F(CaptureClockTest, StopEndsTheTicksAndAStartBeginsANewGridFromThen) {
  ASSERT_TRUE(clock.Start(kWindow, 10));
  Advance(10 * kMs);
  EXPECT_EQ(TakeTicks(), 1u);
  clock.Stop();
  EXPECT_FALSE(clock.Running());
  EXPECT_EQ(clock.PeriodMs(), 0u);
  // The thread has ended: nothing waits, so nothing can post.
  EXPECT_FALSE(timer->Waiting());
  timer->Advance(100 * kMs);
  EXPECT_EQ(TakeTicks(), 0u);
  // The tick posted before the stop is still in the window's queue; taking it
  // after a new start holds up nothing.
  const int64_t restart = timer->Now() + 5 * kMs;
  timer->Advance(5 * kMs);
  ASSERT_TRUE(clock.Start(kWindow, 10));
  clock.TickHandled();
  EXPECT_EQ(Waiting(), restart + 10 * kMs);
  Advance(10 * kMs);
  EXPECT_EQ(TakeTicks(), 1u);
  EXPECT_EQ(clock.Posted(), 2u);
}

// A platform timer may wake a little before its time; that is no tick.
TEST_F(CaptureClockTest, AnEarlyWakeUpPostsNothingAndWaitsAgainForTheSameDeadline) {
  ASSERT_TRUE(clock.Start(kWindow, 10));
  const int64_t deadline = Waiting();
  timer->Advance(9 * kMs);
  timer->WakeEarly();
  EXPECT_EQ(Waiting(), deadline);
  EXPECT_EQ(TakeTicks(), 0u);
  const std::vector<int64_t> waits = timer->Deadlines();
  ASSERT_EQ(waits.size(), 2u);
  EXPECT_EQ(waits[0], waits[1]);
}

// A post that fails leaves nothing in the queue to be taken: the next slot is
// posted again instead of the clock waiting for a tick that never comes.
TEST_F(CaptureClockTest, APostThatFailsLosesOnlyItsSlot) {
  ASSERT_TRUE(clock.Start(kWindow, 10));
  poster->failing = true;
  Advance(10 * kMs);
  EXPECT_EQ(TakeTicks(), 0u);
  EXPECT_EQ(clock.Skipped(), 1u);
  poster->failing = false;
  Advance(10 * kMs);
  EXPECT_EQ(TakeTicks(), 1u);
  EXPECT_EQ(clock.Posted(), 1u);
}

TEST_F(CaptureClockTest, AFailedWaitPostsOnceSoTheWindowNoticesAndTheClockStaysOff) {
  ASSERT_TRUE(clock.Start(kWindow, 10));
  ASSERT_TRUE(timer->AwaitIdle());
  timer->FailWaits();
  for (int i = 0; i < 500 && poster->Count() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(TakeTicks(), 1u);
  EXPECT_TRUE(clock.Failed());
  clock.TickHandled();
  EXPECT_FALSE(clock.Start(kWindow, 10));
  EXPECT_FALSE(clock.Running());
  EXPECT_TRUE(clock.Failed());
}

TEST(CaptureClockStartTest, NoClockRunsWithoutAUsableTimerOrAThread) {
  const ThreadLauncher refusing = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  struct Case {
    const char* what;
    bool timer;
    bool usable;
    bool threads;
    uint32_t periodMs;
  };
  const Case cases[] = {
      {"no timer", false, true, true, 10},
      {"a timer the platform could not make", true, false, true, 10},
      {"no thread", true, true, false, 10},
      {"no period", true, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto timer = std::make_shared<FakeDeadlineTimer>();
    timer->usable = c.usable;
    auto poster = std::make_shared<FakePoster>();
    CaptureClock clock(c.timer ? timer : nullptr, poster,
                       c.threads ? DefaultThreadLauncher() : refusing);
    EXPECT_FALSE(clock.Start(kWindow, c.periodMs));
    EXPECT_FALSE(clock.Running());
    EXPECT_FALSE(clock.Failed());
  }
}

}  // namespace
}  // namespace lorik
