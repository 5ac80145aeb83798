// Throughput of the conversion and save workers with an encoder of fixed cost,
// the cost of one capture tick without its grab, and what the grab chain's
// check adds to a grab of a window that grabs well. Prints one tab-separated
// row per figure: "row", what was measured, the figure, what it is compared with.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <thread>

#include "fakes/FakeClock.h"
#include "fakes/FakeFileStore.h"
#include "fakes/FakeImageEncoder.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeTrace.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/MemoryPicture.h"
#include "grab/GrabChain.h"
#include "pipeline/CaptureController.h"
#include "pipeline/ConversionPool.h"
#include "pipeline/SaveWorker.h"
#include "platform/ScreenGrab.h"
#include "settings/Settings.h"
#include "unit/PipelineHarness.h"

// The replaced operators pair malloc with free themselves.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<long long> allocations{0};
std::atomic<long long> allocatedBytes{0};
}  // namespace

void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    allocatedBytes.fetch_add(static_cast<long long>(size), std::memory_order_relaxed);
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace lorik {
namespace {

using Clock = std::chrono::steady_clock;

// Returns the prepared picture, or makes a new one per grab, recording nothing.
class BenchGrab final : public ScreenGrabPort {
 public:
  bool IsWindow(WindowHandle) override { return true; }
  bool IsWindowVisible(WindowHandle) override { return true; }
  std::shared_ptr<const Picture> Grab(WindowHandle, const Rect& area, int bits) override {
    if (prepared) return prepared;
    return std::make_shared<MemoryPicture>(area.Width(), area.Height(), bits);
  }
  std::shared_ptr<const Picture> GrabBy(GrabMethod, WindowHandle source, const Rect& area,
                                        int bits) override {
    return Grab(source, area, bits);
  }
  bool IsAreaCovered(WindowHandle, const Rect&) override { return false; }
  std::shared_ptr<const Picture> prepared;
};

// The tests' settings, with a buffer that never fills and a skip count per profile.
SettingsRecords Settings(size_t profiles) {
  SettingsRecords r = DefaultPipelineSettings(profiles);
  for (size_t i = 0; i < profiles; ++i) {
    r.shot.multiShots[i].format = L"Lk_%date%_%time%_%ms%";
    r.shot.multiShots[i].numberOfCaptureSkippedAfterSave = static_cast<int32_t>(i);
  }
  r.save.conversionBuffSize = 100000;
  r.save.useDiskCache = true;
  r.capture.captureArea = Rect{0, 0, 64, 48};
  return r;
}

struct Pipeline {
  explicit Pipeline(size_t profiles)
      : records(Settings(profiles)),
        state(std::make_shared<PipelineState>(
            PipelinePorts{encoder, files, messages, trace, nullptr, nullptr, L"", nullptr})),
        controller(state, grab, clock, uiMessages, records.shot, records.capture, records.save,
                   records.general) {
    files->AddFolder(L"D:\\single");
    controller.SyncWorkerSettings();
  }
  std::shared_ptr<FakeImageEncoder> encoder = std::make_shared<FakeImageEncoder>();
  std::shared_ptr<FakeFileStore> files = std::make_shared<FakeFileStore>();
  std::shared_ptr<FakeMessageBox> messages = std::make_shared<FakeMessageBox>();
  std::shared_ptr<FakeTrace> trace = std::make_shared<FakeTrace>();
  BenchGrab grab;
  FakeClock clock;
  FakeMessageBox uiMessages;
  SettingsRecords records;
  std::shared_ptr<PipelineState> state;
  CaptureController controller;
};

void Throughput(int workers, std::chrono::microseconds cost, int frames, bool spin) {
  Pipeline p(0);
  p.encoder->cost = cost;
  p.encoder->spin = spin;
  p.grab.prepared = MemoryPicture::Filled(64, 48, 24, 1);
  ConversionPool pool(p.state);
  SaveWorker saver(p.state);
  pool.Apply(workers, false);
  saver.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const auto start = Clock::now();
  for (int i = 0; i < frames; ++i) {
    p.clock.Advance(1);
    p.controller.TakeSingleShot();
  }
  while (p.files->Files().size() < static_cast<size_t>(frames)) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double fps = frames / seconds;
  const double ideal = workers * 1e6 / static_cast<double>(cost.count());
  std::printf(
      "row\tpipeline with fakes, %d worker(s), encoder of %lld us %s\t%.1f frames/s\tN / cost "
      "%.1f: ratio %.3f\n",
      workers, static_cast<long long>(cost.count()), spin ? "busy" : "asleep", fps, ideal,
      fps / ideal);
  pool.Stop();
  saver.Stop();
}

void TickCost(bool collecting) {
  Pipeline p(3);
  p.grab.prepared = MemoryPicture::Filled(64, 48, 24, 1);
  // Warm up: fill the histories and let every queue reach its size.
  for (int i = 0; i < 200; ++i) {
    p.clock.Advance(100);
    p.controller.CaptureTick();
    if (collecting) {
      for (size_t i = 0; i < p.records.shot.multiShots.size(); ++i)
        p.controller.Run(i).pendingCount = 1000000;
      std::lock_guard lock(p.state->conversionLock);
      p.state->conversionBuffer.clear();
      p.state->conversionCount.store(0);
    }
  }
  if (collecting) {
    std::lock_guard lock(p.state->conversionLock);
    p.state->conversionBuffer.reserve(1 << 16);
  }
  const int ticks = 20000;
  allocations = 0;
  allocatedBytes = 0;
  const auto start = Clock::now();
  counting = true;
  for (int i = 0; i < ticks; ++i) {
    p.clock.Advance(100);
    p.controller.CaptureTick();
  }
  counting = false;
  const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / ticks;
  std::printf(
      "row\tcapture tick with fakes, %s, 3 profiles, grab excluded\t%.3f us/tick\t%.3f "
      "allocations and %.1f bytes per tick\n",
      collecting ? "collecting" : "idle", us, static_cast<double>(allocations.load()) / ticks,
      static_cast<double>(allocatedBytes.load()) / ticks);
}

void TickWithGrab() {
  Pipeline p(3);
  for (int i = 0; i < 200; ++i) p.controller.CaptureTick();
  const int ticks = 20000;
  allocations = 0;
  allocatedBytes = 0;
  counting = true;
  for (int i = 0; i < ticks; ++i) p.controller.CaptureTick();
  counting = false;
  std::printf(
      "row\tcapture tick with a fake grab making a 64 x 48 picture\t%.3f allocations/tick\t%.1f "
      "bytes per tick (the picture object and its pixels)\n",
      static_cast<double>(allocations.load()) / ticks,
      static_cast<double>(allocatedBytes.load()) / ticks);
}

// A live 1920 x 1080 window: two pictures in turn, so every grid differs from
// the one before. The bare port's loop is timed the same way and subtracted.
void GrabCheckCost() {
  BenchGrab grab;
  FakeWindowSystem windows;
  FakeProcessTable processes;
  FakeClock clock;
  FakeMessageBox messages;
  const WindowHandle target = windows.AddWindow(0x500, {}, L"Frame", L"", 0, 1, {1920, 1080});
  GrabChain chain(grab, windows, processes, clock, messages);
  const std::shared_ptr<const Picture> pictures[] = {MemoryPicture::Filled(1920, 1080, 32, 1),
                                                     MemoryPicture::Filled(1920, 1080, 32, 2)};
  const Rect area{0, 0, 1920, 1080};
  const int ticks = 200000;
  auto timed = [&](ScreenGrabPort& port) {
    size_t kept = 0;
    const auto start = Clock::now();
    for (int i = 0; i < ticks; ++i) {
      clock.Advance(100);
      grab.prepared = pictures[i & 1];
      kept += port.Grab(target, area, 32) != nullptr;
    }
    const double us =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / ticks;
    return kept == static_cast<size_t>(ticks) ? us : -1.0;
  };
  const double bare = timed(grab);
  const double checked = timed(chain);
  std::printf(
      "row\tblank and stale check of the grab chain, window that grabs well, 1920 x 1080 32 bit, "
      "%d samples\t%.3f us/grab\tgrab %.3f us checked, %.3f us bare\n",
      GrabGrid::kSide * GrabGrid::kSide, checked - bare, checked, bare);
}

}  // namespace
}  // namespace lorik

int main() {
  using namespace std::chrono_literals;
  // Asleep, the cost is what the encoder asks the scheduler for, so the ratio
  // also shows the sleep's overshoot; busy, it needs a free core per worker.
  for (bool spin : {false, true}) {
    lorik::Throughput(1, 5000us, 400, spin);
    lorik::Throughput(2, 5000us, 800, spin);
  }
  lorik::TickCost(false);
  lorik::TickCost(true);
  lorik::TickWithGrab();
  lorik::GrabCheckCost();
  return 0;
}
