#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <set>
#include <string>

#include "PipelineHarness.h"

namespace lorik {
namespace {

using namespace std::chrono_literals;

// Thousands of frames through several workers with random encoding and write
// times, random failures and pool restarts. Every frame ends either as a file
// or as exactly one message, and the pipeline drains: no frame waits for a
// wake-up that never comes.
TEST(PipelineStressTest, EveryFrameIsWrittenOrReported) {
  constexpr size_t profiles = 3;
  PipelineHarness h(profiles);
  h.records.save.conversionBuffSize = 200;
  h.records.capture.periodBetweenEachCapture = 10;
  for (auto& p : h.records.shot.multiShots) {
    p.numberOfSavedImageBeforeHotkey = 20;
    p.numberOfSavedImageAfterHotkey = 30;
    p.format = L"%time%_%ms%";
  }
  h.records.shot.multiShots[1].numberOfCaptureSkippedAfterSave = 1;
  h.records.shot.multiShots[2].numberOfCaptureSkippedAfterSave = 2;
  h.records.shot.singleShot.format = L"%time%_%ms%";
  h.records.capture.showDialogOnLost = false;
  h.files->AddFolder(L"D:\\single");
  h.files->AddFolder(L"D:\\multi1");
  h.files->AddFolder(L"D:\\multi2");
  h.files->AddFolder(L"D:\\multi3");
  h.pool.restartWait = 20ms;

  // Random small delays in the workers; one picture byte value in 61 fails to
  // encode. The failure decision uses the picture alone, so it is repeatable.
  std::atomic<uint32_t> seed{1};
  h.encoder->SetFailIf([&](const Picture& p) {
    uint32_t s = seed.fetch_add(2654435761u);
    if ((s >> 7) % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds((s >> 11) % 200));
    return p.Bits()[0] % 61 == 7;
  });
  h.files->SetOnWrite([&](const std::wstring&) {
    uint32_t s = seed.fetch_add(40503u);
    if ((s >> 5) % 8 == 0) std::this_thread::sleep_for(std::chrono::microseconds((s >> 9) % 100));
  });

  ASSERT_TRUE(h.pool.Apply(2, false));
  ASSERT_TRUE(h.saver.Start());
  std::mt19937 random(12345);
  size_t queued = 0;
  int threadNumber = 2;
  int restarts = 0;
  const auto deadline = std::chrono::steady_clock::now() + 3s;
  for (int tick = 0; tick < 20000 && std::chrono::steady_clock::now() < deadline; ++tick) {
    int pendingBefore = 0;
    for (size_t i = 0; i < profiles; ++i) pendingBefore += h.controller.Run(i).pendingCount;
    h.clock.Advance(10);  // one capture period; names stay apart by the millisecond
    h.controller.CaptureTick();
    for (size_t i = 0; i < profiles; ++i) pendingBefore -= h.controller.Run(i).pendingCount;
    queued += static_cast<size_t>(pendingBefore);  // each frame moved took one pending
    const unsigned r = random() % 100;
    if (r < 10) {
      h.controller.TriggerMultiShot(random() % profiles);
    } else if (r < 13) {
      h.clock.Advance(1);
      h.controller.TakeSingleShot();
      ++queued;
    } else if (r == 13 && tick % 3 == 0) {
      threadNumber = threadNumber % 3 + 1;
      ASSERT_TRUE(h.pool.Apply(threadNumber, true));
      ++restarts;
    }
    if (random() % 50 == 0) std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
  }
  // Frames may still be pending in the histories; move them out.
  for (size_t i = 0; i < profiles; ++i) h.controller.Run(i).pendingCount = 0;
  std::cout << queued << " frames, " << restarts << " restarts\n";
  ASSERT_TRUE(h.Drained(20s)) << h.state->conversionCount.load() << " "
                              << h.state->saveCount.load();
  const size_t files = h.files->Files().size();
  const size_t messages = h.messages->Count();
  const int encoded = h.encoder->Calls();
  EXPECT_EQ(static_cast<size_t>(encoded), queued);
  EXPECT_EQ(queued, files + messages);
  EXPECT_GT(files, 1000u) << "ticks ran out of time";
  EXPECT_GT(messages, 0u);
  for (const auto& m : h.messages->Messages()) {
    EXPECT_TRUE(m.text.starts_with(L"画像の生成に失敗しました: "))
        << std::string(m.text.begin(), m.text.end());
  }
}

}  // namespace
}  // namespace lorik
