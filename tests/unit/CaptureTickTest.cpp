#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "PipelineHarness.h"

namespace lorik {
namespace {

// No workers run here, so what the tick moves stays in the ConversionBuffer.
class CaptureTickTest : public ::testing::Test {
 protected:
  explicit CaptureTickTest(size_t profiles = 1) : h(profiles) {}

  std::vector<CapturedFrame> TakeQueued() {
    std::vector<CapturedFrame> frames;
    std::lock_guard lock(h.state->conversionLock);
    while (!h.state->conversionBuffer.empty())
      frames.push_back(h.state->conversionBuffer.pop_front());
    h.state->conversionCount.store(0);
    return frames;
  }
  uint32_t Queued() const { return h.state->conversionCount.load(); }
  MultiShotProfile& Profile(size_t i = 0) { return h.records.shot.multiShots[i]; }
  MultiShotRun& Run(size_t i = 0) { return h.controller.Run(i); }
  // First pixel byte: the number of the grab that made the picture.
  static int GrabNo(const CapturedFrame& f) { return f.picture->Bits()[0]; }

  PipelineHarness h;
};

TEST_F(CaptureTickTest, PressAfterFullHistoryMovesElevenThenOnePerTick) {
  for (int i = 0; i < 12; ++i) h.Tick();
  EXPECT_EQ(h.controller.HistorySize(0), 10u);  // trimmed to the before count
  h.clock.Advance(30);
  h.controller.TriggerMultiShot(0);
  const SystemTime press = h.clock.LocalTime();
  EXPECT_EQ(Run().pendingCount, 20);

  std::vector<size_t> movedPerTick;
  for (int i = 0; i < 11; ++i) {
    const uint32_t before = Queued();
    h.Tick();
    movedPerTick.push_back(Queued() - before);
  }
  EXPECT_EQ(movedPerTick, (std::vector<size_t>{11, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(Run().pendingCount, 0);

  const std::vector<CapturedFrame> frames = TakeQueued();
  ASSERT_EQ(frames.size(), 20u);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].startTime, press) << i;
    EXPECT_EQ(frames[i].profileNo, 1);
    EXPECT_EQ(frames[i].folder.str(), L"D:\\multi1");
    // Oldest first: the ten grabs before the press (3 to 12), then 13 to 22.
    EXPECT_EQ(GrabNo(frames[i]), static_cast<int>(i) + 3) << i;
  }
  EXPECT_EQ(frames[10].captureTime.milliseconds, (45 + 13 * 100 + 30) % 1000);
}

TEST_F(CaptureTickTest, BeforeZeroKeepsNoHistoryAndSendsOnlyLaterFrames) {
  Profile().numberOfSavedImageBeforeHotkey = 0;
  Profile().numberOfSavedImageAfterHotkey = 3;
  for (int i = 0; i < 5; ++i) h.Tick();
  EXPECT_EQ(h.controller.HistorySize(0), 0u);
  h.controller.TriggerMultiShot(0);
  for (int i = 0; i < 5; ++i) h.Tick();
  const std::vector<CapturedFrame> frames = TakeQueued();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(GrabNo(frames[0]), 6);
  EXPECT_EQ(GrabNo(frames[2]), 8);
}

// A press reserves the room of its frames, so single shots that fill the
// buffer meanwhile delay none of them: frames waiting in the history would be
// trimmed away.
TEST_F(CaptureTickTest, PendingFramesMoveWhateverTheCountAndNoneIsTrimmed) {
  h.records.save.conversionBuffSize = 5;
  Profile().numberOfSavedImageBeforeHotkey = 3;
  for (int i = 0; i < 4; ++i) h.Tick();  // grabs 1 to 4; the history keeps 2 to 4
  Run().pendingCount = 6;
  for (int i = 0; i < 5; ++i) h.controller.TakeSingleShot();  // grabs 5 to 9 fill to C
  ASSERT_EQ(Queued(), 5u);

  h.Tick();
  EXPECT_EQ(Queued(), 9u);
  EXPECT_EQ(Run().pendingCount, 2);
  EXPECT_EQ(h.controller.HistorySize(0), 0u);
  h.Tick();
  h.Tick();
  h.Tick();
  EXPECT_EQ(Run().pendingCount, 0);

  std::vector<int> multi;
  for (const CapturedFrame& f : TakeQueued()) {
    if (f.profileNo == 1) multi.push_back(GrabNo(f));
  }
  EXPECT_EQ(multi, (std::vector<int>{2, 3, 4, 10, 11, 12}));
  EXPECT_EQ(h.state->Unsettled(), 11u);  // every queued frame awaits its end
}

struct SkipCase {
  int skip;
  int ticks;
  std::vector<int> takenGrabs;  // grab numbers in the history afterwards
};

class CaptureTickSkipTest : public CaptureTickTest,
                            public ::testing::WithParamInterface<SkipCase> {};

TEST_P(CaptureTickSkipTest, TakesOneFrameOutOfSkipPlusOneTicks) {
  const SkipCase& c = GetParam();
  Profile().numberOfCaptureSkippedAfterSave = c.skip;
  for (int i = 0; i < c.ticks; ++i) h.Tick();
  Run().pendingCount = 100;
  h.records.save.conversionBuffSize = 1000;
  // Grab numbers are counted from 1; this tick is grab ticks + 1.
  h.controller.CaptureTick();
  std::vector<int> grabs;
  for (const CapturedFrame& f : TakeQueued()) grabs.push_back(GrabNo(f));
  EXPECT_EQ(grabs, c.takenGrabs);
}

INSTANTIATE_TEST_SUITE_P(Skips, CaptureTickSkipTest,
                         ::testing::Values(SkipCase{0, 3, {1, 2, 3, 4}}, SkipCase{1, 5, {2, 4, 6}},
                                           // the first frame is taken on the third tick
                                           SkipCase{2, 8, {3, 6, 9}}, SkipCase{2, 1, {}}));

class TwoProfileTickTest : public CaptureTickTest {
 protected:
  TwoProfileTickTest() : CaptureTickTest(2) {}
};

TEST_F(TwoProfileTickTest, ProfilesKeepIndependentHistoriesFromTheSameTicks) {
  Profile(0).numberOfSavedImageBeforeHotkey = 4;
  Profile(1).numberOfSavedImageBeforeHotkey = 4;
  Profile(1).numberOfCaptureSkippedAfterSave = 1;
  for (int i = 0; i < 6; ++i) h.Tick();
  EXPECT_EQ(h.controller.HistorySize(0), 4u);
  EXPECT_EQ(h.controller.HistorySize(1), 3u);

  // Profile 1 drains its history on the next tick; profile 2 skips that tick,
  // and a profile moves frames only on the ticks it takes.
  Run(0).pendingCount = 10;
  Run(1).pendingCount = 10;
  auto split = [&] {
    std::vector<int> first, second;
    for (const CapturedFrame& f : TakeQueued()) {
      (f.profileNo == 1 ? first : second).push_back(GrabNo(f));
    }
    return std::make_pair(first, second);
  };
  h.Tick();  // grab 7
  auto [first, second] = split();
  EXPECT_EQ(first, (std::vector<int>{3, 4, 5, 6, 7}));
  EXPECT_TRUE(second.empty());
  EXPECT_EQ(Run(1).skipCounter, 1);
  h.Tick();  // grab 8
  std::tie(first, second) = split();
  EXPECT_EQ(first, (std::vector<int>{8}));
  EXPECT_EQ(second, (std::vector<int>{2, 4, 6, 8}));
}

TEST_F(TwoProfileTickTest, FramesCarryTheirProfilesStartTimeAtTheMoveNotAtTheGrab) {
  for (int i = 0; i < 3; ++i) h.Tick();
  h.clock.Advance(5000);
  h.controller.TriggerMultiShot(1);
  const SystemTime press = h.clock.LocalTime();
  h.Tick();
  for (const CapturedFrame& f : TakeQueued()) {
    EXPECT_EQ(f.profileNo, 2);
    EXPECT_EQ(f.startTime, press);
    EXPECT_EQ(f.folder.str(), L"D:\\multi2");
  }
  EXPECT_EQ(h.controller.HistorySize(0), 4u);
}

struct FailedGrabCase {
  const char* name;
  std::function<void(PipelineHarness&)> breakIt;
  size_t messages;  // shown by one failing tick with "Show dialog on lost" on
};

class FailedGrabTest : public CaptureTickTest,
                       public ::testing::WithParamInterface<FailedGrabCase> {};

TEST_P(FailedGrabTest, LeavesSkipCountersAndHistoriesAlone) {
  h.records.shot.multiShots.push_back(h.records.shot.multiShots[0]);
  Profile(0).numberOfCaptureSkippedAfterSave = 2;
  Profile(1).numberOfCaptureSkippedAfterSave = 0;
  h.Tick();
  h.Tick();
  const int counter = Run(0).skipCounter;
  const size_t history1 = h.controller.HistorySize(1);
  Run(1).pendingCount = 3;

  GetParam().breakIt(h);
  h.Tick();
  EXPECT_EQ(Run(0).skipCounter, counter);
  EXPECT_EQ(h.controller.HistorySize(1), history1);
  EXPECT_EQ(Queued(), 0u);
  EXPECT_EQ(h.uiMessages.Count(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedGrabTest,
    ::testing::Values(
        FailedGrabCase{"NoTarget", [](PipelineHarness& h) { h.records.capture.targetWindow = {}; },
                       0},
        FailedGrabCase{"Gone", [](PipelineHarness& h) { h.grab.gone.insert(0x1234); }, 1},
        FailedGrabCase{"Hidden", [](PipelineHarness& h) { h.grab.hidden.insert(0x1234); }, 1},
        // A page that stops answering while it loads: no picture, no frame, no word.
        FailedGrabCase{"NotAnswering",
                       [](PipelineHarness& h) {
                         h.grab.hung.insert(0x1234);
                         h.grab.failPicture = true;
                       },
                       0},
        FailedGrabCase{"ZeroWidth",
                       [](PipelineHarness& h) { h.records.capture.captureArea.right = 0; }, 0},
        FailedGrabCase{"ZeroHeight",
                       [](PipelineHarness& h) { h.records.capture.captureArea.bottom = 0; }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Settings read at start-up are in force while their refusal is shown; an area
// that no picture can hold must not reach the grab.
TEST_F(CaptureTickTest, AreaThatNoPictureCanHoldIsNotGrabbed) {
  const Rect areas[] = {{0, 0, 0, 240}, {0, 240, 320, 0}, {0, 0, 40000, 20000}};
  for (const Rect& area : areas) {
    SCOPED_TRACE(::testing::Message() << area.Width() << " x " << area.Height());
    h.grab.calls.clear();
    h.records.capture.captureArea = area;
    h.Tick();
    EXPECT_TRUE(h.grab.calls.empty());
    EXPECT_EQ(Queued(), 0u);
    EXPECT_EQ(h.controller.HistorySize(0), 0u);
  }
  h.records.capture.captureArea = Rect{0, 0, 320, 240};
  h.Tick();
  EXPECT_EQ(h.grab.calls.size(), 1u);
}

TEST_F(CaptureTickTest, GoneTargetIsClearedAndReportedOnce) {
  h.grab.gone.insert(0x1234);
  h.Tick();
  h.Tick();
  EXPECT_FALSE(h.records.capture.targetWindow);
  ASSERT_EQ(h.uiMessages.Count(), 1u);
  EXPECT_EQ(h.uiMessages.Messages()[0],
            (FakeMessageBox::Shown{L"キャプチャ対象が離脱!", L"", mb::kOk}));
  EXPECT_TRUE(h.grab.calls.empty());
}

TEST_F(CaptureTickTest, HiddenTargetMessageDoesNotStackWhileOpen) {
  h.grab.hidden.insert(0x1234);
  int nestedTicks = 0;
  // The capture timer keeps firing inside the open message's loop.
  h.uiMessages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    for (; nestedTicks < 3; ++nestedTicks) h.controller.CaptureTick();
  });
  h.Tick();
  EXPECT_EQ(nestedTicks, 3);
  ASSERT_EQ(h.uiMessages.Count(), 1u);
  EXPECT_EQ(h.uiMessages.Messages()[0].text, L"キャプチャ対象の幅や高さが0?");
  EXPECT_TRUE(h.records.capture.targetWindow);  // the handle stays
  h.uiMessages.SetWhileOpen(nullptr);
  h.Tick();  // once closed, the next tick reports again
  EXPECT_EQ(h.uiMessages.Count(), 2u);
}

TEST_F(CaptureTickTest, NoMessagesWhenShowDialogOnLostIsOff) {
  h.records.capture.showDialogOnLost = false;
  h.grab.hidden.insert(0x1234);
  h.Tick();
  h.grab.gone.insert(0x1234);
  h.Tick();
  EXPECT_EQ(h.uiMessages.Count(), 0u);
  EXPECT_FALSE(h.records.capture.targetWindow);
}

TEST_F(CaptureTickTest, GrabUsesTheRectangleAndBitDepthOfTheSettings) {
  h.records.capture.captureArea = Rect{10, 20, 110, 70};
  h.records.save.imageBitDepth = 32;
  h.Tick();
  ASSERT_EQ(h.grab.calls.size(), 1u);
  EXPECT_EQ(h.grab.calls[0].source, WindowHandle{0x1234});
  EXPECT_EQ(h.grab.calls[0].area, (Rect{10, 20, 110, 70}));
  EXPECT_EQ(h.grab.calls[0].bitsPerPixel, 32);
}

TEST_F(CaptureTickTest, TrimmedAndQueuedFramesShareOnePicture) {
  Profile().numberOfSavedImageBeforeHotkey = 2;
  h.records.shot.multiShots.push_back(Profile());
  h.Tick();
  std::weak_ptr<const Picture> first;
  Run(0).pendingCount = 1;
  h.Tick();
  const std::vector<CapturedFrame> queued = TakeQueued();
  ASSERT_EQ(queued.size(), 1u);
  first = queued[0].picture;
  EXPECT_EQ(first.use_count(), 2);  // our copy and profile 2's history
  for (int i = 0; i < 3; ++i) h.Tick();
  EXPECT_EQ(first.use_count(), 1);  // trimming released the history's share
}

}  // namespace
}  // namespace lorik
