#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "PipelineHarness.h"
#include "app/HotkeyControl.h"
#include "app/PressFeedback.h"

namespace lorik {
namespace {

class TriggersTest : public ::testing::Test {
 protected:
  MultiShotProfile& Profile() { return h.records.shot.multiShots[0]; }
  MultiShotRun& Run() { return h.controller.Run(0); }
  // Puts `count` frames into the ConversionBuffer as single shots (no worker runs).
  void Fill(int count) {
    for (int i = 0; i < count; ++i) h.controller.TakeSingleShot();
  }

  PipelineHarness h;
};

struct PressCase {
  const char* name;
  uint32_t period;
  int skip;
  uint64_t gapMs;     // time between the first and the second press
  int queued;         // frames in the ConversionBuffer at the second press
  int addedPending;   // what the second press adds
  bool newStartTime;  // whether the second press starts a new multi shot
};

class SecondPressTest : public TriggersTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(SecondPressTest, AddsTheFramesTakenSinceTheLastPress) {
  const PressCase& c = GetParam();
  h.records.capture.periodBetweenEachCapture = c.period;
  Profile().numberOfCaptureSkippedAfterSave = c.skip;
  h.controller.TriggerMultiShot(0);
  const SystemTime firstStart = Run().startTime;
  ASSERT_EQ(Run().pendingCount, 20);

  Fill(c.queued);
  h.clock.Advance(c.gapMs);
  h.controller.TriggerMultiShot(0);
  EXPECT_EQ(Run().pendingCount, 20 + c.addedPending);
  if (c.newStartTime) {
    EXPECT_EQ(Run().startTime, h.clock.LocalTime());
    EXPECT_NE(Run().startTime, firstStart);
  } else {
    EXPECT_EQ(Run().startTime, firstStart);
  }
  EXPECT_EQ(Run().lastTriggerTick, h.clock.TickCount());
}

INSTANTIATE_TEST_SUITE_P(
    Presses, SecondPressTest,
    ::testing::Values(PressCase{"ThreeFramesLater", 100, 0, 300, 0, 3, false},
                      PressCase{"JustUnderAFrame", 100, 0, 99, 0, 0, false},
                      PressCase{"TwentyFramesIsStillAnExtension", 100, 0, 2099, 0, 20, false},
                      PressCase{"PastBeforePlusAfterStartsNew", 100, 0, 2500, 0, 20, true},
                      PressCase{"SkipOneCountsEveryOtherTick", 100, 1, 1000, 0, 5, false},
                      // The first press's 20 pending frames hold room too.
                      PressCase{"RoomLimitsAnExtension", 100, 0, 900, 27, 3, false},
                      PressCase{"RoomLimitsANewShot", 100, 0, 5000, 27, 3, true},
                      PressCase{"PendingFramesLeaveNoRoom", 100, 0, 900, 30, 0, false},
                      PressCase{"FullBufferAddsNothingButStartsNew", 100, 0, 5000, 50, 0, true},
                      PressCase{"OverfullBufferAddsNothing", 100, 0, 300, 55, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TriggersTest, FirstPressAfterStartIsANewShotLimitedByRoom) {
  Fill(45);
  h.controller.TriggerMultiShot(0);
  EXPECT_EQ(Run().pendingCount, 5);
  EXPECT_EQ(Run().startTime, h.clock.LocalTime());
}

// Frames a press cannot promise are refused aloud, with their number, and the
// frames other profiles have pending hold room like queued ones.
TEST(TriggersRefusalTest, FramesWithoutRoomAreRefusedInOneMessage) {
  PipelineHarness h(2);
  h.controller.TriggerMultiShot(0);  // 20 pending of 50
  h.controller.TakeSingleShot();     // 1 queued
  ASSERT_TRUE(h.uiMessages.Messages().empty());
  h.controller.TriggerMultiShot(1);
  EXPECT_EQ(h.controller.Run(1).pendingCount, 20);
  h.controller.TriggerMultiShot(1);  // at once: an extension by no frame, nothing refused
  ASSERT_TRUE(h.uiMessages.Messages().empty());

  h.clock.Advance(5000);
  h.controller.TriggerMultiShot(0);  // a new shot of 20 with 50 - 1 - 40 = 9 free
  EXPECT_EQ(h.controller.Run(0).pendingCount, 29);
  ASSERT_EQ(h.uiMessages.Messages().size(), 1u);
  EXPECT_EQ(h.uiMessages.Messages()[0],
            (FakeMessageBox::Shown{
                L"変換バッファに空きがないため、マルチショットの画像11枚は保存されません", L"Lorik",
                mb::kIconExclamation}));
}

// Frames encoded but not yet written still hold their pictures: a save worker
// that lags or fails cannot let presses fill the memory. A press promises only
// what both buffers leave once those frames are counted too.
TEST(TriggersRefusalTest, FramesWaitingToBeWrittenHoldRoomToo) {
  struct Case {
    uint32_t converting;  // taken by a conversion worker
    uint32_t saving;      // in the SaveBuffer
    int32_t promised;     // of a press of 20 with 50 + 30 room and nothing queued
  };
  const Case cases[] = {{0, 0, 20}, {0, 60, 20}, {10, 55, 15}, {0, 80, 0}, {5, 90, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.converting << " converting, " << c.saving << " saving");
    PipelineHarness h;
    h.records.save.saveBuffSize = 30;
    h.state->convertingCount.store(c.converting);
    h.state->saveCount.store(c.saving);
    h.controller.TriggerMultiShot(0);
    EXPECT_EQ(h.controller.Run(0).pendingCount, c.promised);
    EXPECT_EQ(h.uiMessages.Count(), c.promised < 20 ? 1u : 0u);
    h.state->convertingCount.store(0);
    h.state->saveCount.store(0);
  }
}

// A held hotkey repeats inside the box's own loop: no second box stacks on it.
TEST(TriggersRefusalTest, RefusalsWhileTheMessageIsOpenStackNoBox) {
  PipelineHarness h(1);
  for (int i = 0; i < 50; ++i) h.controller.TakeSingleShot();
  int nested = 0;
  h.uiMessages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    if (nested++ > 0) return;
    h.clock.Advance(5000);
    h.controller.TriggerMultiShot(0);
  });
  h.controller.TriggerMultiShot(0);
  EXPECT_EQ(h.uiMessages.Count(), 1u);
  EXPECT_EQ(nested, 1);
  h.uiMessages.SetWhileOpen(nullptr);
  h.clock.Advance(5000);
  h.controller.TriggerMultiShot(0);
  EXPECT_EQ(h.uiMessages.Count(), 2u);  // closed again: the next refusal is said
  EXPECT_EQ(h.controller.Run(0).pendingCount, 0);
}

// What the hotkeys and the main button call: the press shows before the shot
// starts, also for an index the controller then ignores.
TEST_F(TriggersTest, TheApplicationsTriggerShowsTheMultiShotPressFirst) {
  struct Feedback final : PressFeedbackPort {
    explicit Feedback(CaptureController& c) : controller(c) {}
    void PressFeedback(ButtonSet set) override {
      shown.push_back({set, controller.Run(0).pendingCount});
    }
    CaptureController& controller;
    std::vector<std::pair<ButtonSet, int>> shown;  // the set and the pending count then
  } feedback(h.controller);
  ASSERT_TRUE(h.pool.Apply(1, false));
  CaptureControllerTriggers triggers(h.controller, feedback, h.pool, h.uiMessages);

  triggers.TriggerMultiShot(0);
  triggers.TriggerMultiShot(7);
  EXPECT_EQ(feedback.shown, (std::vector<std::pair<ButtonSet, int>>{{ButtonSet::MultiShot, 0},
                                                                    {ButtonSet::MultiShot, 20}}));
  EXPECT_EQ(Run().pendingCount, 20);
}

// Without conversion workers nothing would take the frames: the shots say
// once why nothing is saved and queue nothing, until workers run again.
TEST_F(TriggersTest, WithoutWorkersShotsAreRefusedOnceAloudAndQueueNothing) {
  struct : PressFeedbackPort {
    void PressFeedback(ButtonSet) override {}
  } feedback;
  CaptureControllerTriggers triggers(h.controller, feedback, h.pool, h.uiMessages);
  for (int i = 0; i < 3; ++i) {
    triggers.TakeSingleShot();
    triggers.TriggerMultiShot(0);
    h.Tick();
  }
  EXPECT_EQ(h.state->conversionCount.load(), 0u);
  EXPECT_EQ(Run().pendingCount, 0);
  ASSERT_EQ(h.uiMessages.Count(), 1u);
  EXPECT_EQ(h.uiMessages.Messages()[0].text,
            L"設定が適用されていないため、画像は保存されません。設定を完了してください");

  ASSERT_TRUE(h.pool.Apply(1, false));
  ASSERT_TRUE(h.saver.Start());
  triggers.TakeSingleShot();
  ASSERT_TRUE(h.Drained());
  EXPECT_EQ(h.files->Files().size(), 1u);
  h.pool.Stop();
  triggers.TakeSingleShot();
  EXPECT_EQ(h.uiMessages.Count(), 2u) << "said again once workers are gone again";
}

// The settings dialog copies the records out and, on OK, assigns them back
// whole. A multi shot running meanwhile keeps its run: it neither loses its
// pending frames nor, pressed again, starts over and takes its frames twice.
TEST_F(TriggersTest, RecordsAssignedBackWholeLeaveARunningMultiShotAlone) {
  for (int i = 0; i < 12; ++i) h.Tick();
  const SettingsRecords copied = h.records;
  h.controller.TriggerMultiShot(0);
  const SystemTime press = h.clock.LocalTime();
  h.Tick();  // the ten frames before the press and this one
  ASSERT_EQ(h.state->conversionCount.load(), 11u);

  h.records = copied;
  EXPECT_EQ(Run().pendingCount, 9);
  EXPECT_EQ(Run().startTime, press);

  h.clock.Advance(50);
  h.controller.TriggerMultiShot(0);  // within a frame of the last press: an extension
  EXPECT_EQ(Run().pendingCount, 10);
  EXPECT_EQ(Run().startTime, press);
  for (int i = 0; i < 15; ++i) h.Tick();
  EXPECT_EQ(h.state->conversionCount.load(), 21u);  // 20 from the press, 1 from the extension
  std::lock_guard lock(h.state->conversionLock);
  while (!h.state->conversionBuffer.empty()) {
    EXPECT_EQ(h.state->conversionBuffer.pop_front().startTime, press);
  }
}

TEST_F(TriggersTest, PressWithoutTargetStillCountsAndFramesMoveWhenCaptureResumes) {
  for (int i = 0; i < 10; ++i) h.Tick();
  h.grab.hidden.insert(0x1234);
  h.records.capture.showDialogOnLost = false;
  h.controller.TriggerMultiShot(0);
  h.Tick();
  EXPECT_EQ(h.state->conversionCount.load(), 0u);
  h.grab.hidden.clear();
  h.Tick();
  EXPECT_EQ(h.state->conversionCount.load(), 11u);  // the ten old frames first, then this one
}

TEST_F(TriggersTest, IndexOutsideTheProfilesIsIgnored) {
  h.controller.TriggerMultiShot(7);
  EXPECT_EQ(Run().pendingCount, 0);
  EXPECT_EQ(Run().lastTriggerTick, 0u);
}

TEST_F(TriggersTest, SingleShotQueuesItsOwnGrabEvenWhenTheBufferIsFull) {
  h.records.save.conversionBuffSize = 2;
  Fill(3);
  ASSERT_EQ(h.state->conversionCount.load(), 3u);
  std::lock_guard lock(h.state->conversionLock);
  const CapturedFrame& f = h.state->conversionBuffer.front();
  EXPECT_EQ(f.profileNo, 0);
  EXPECT_EQ(f.startTime, f.captureTime);
  EXPECT_EQ(f.folder.str(), L"D:\\single");
  EXPECT_EQ(f.pattern.str(), L"S_%time%_%ms%");
  EXPECT_EQ(h.grab.calls.size(), 3u);
}

TEST_F(TriggersTest, SingleShotBetweenMultiShotFramesKeepsTheOrder) {
  Profile().numberOfSavedImageBeforeHotkey = 1;
  for (int i = 0; i < 3; ++i) h.Tick();
  h.controller.TriggerMultiShot(0);
  h.Tick();
  h.controller.TakeSingleShot();
  h.Tick();
  std::vector<int> profiles;
  std::lock_guard lock(h.state->conversionLock);
  while (!h.state->conversionBuffer.empty()) {
    profiles.push_back(h.state->conversionBuffer.pop_front().profileNo);
  }
  EXPECT_EQ(profiles, (std::vector<int>{1, 1, 0, 1}));
}

struct FailedShotCase {
  bool suppress;
  size_t captureFailedMessages;
  int beeps;
};

class FailedSingleShotTest : public TriggersTest,
                             public ::testing::WithParamInterface<FailedShotCase> {};

TEST_P(FailedSingleShotTest, ReportsOrBeepsAndQueuesNothing) {
  h.records.general.supressErrorDialog = GetParam().suppress;
  h.grab.gone.insert(0x1234);
  h.controller.TakeSingleShot();
  std::vector<FakeMessageBox::Shown> shown = h.uiMessages.Messages();
  // The grab's own message comes first, whatever the suppression says.
  ASSERT_GE(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, L"キャプチャ対象が離脱!");
  EXPECT_EQ(shown.size() - 1, GetParam().captureFailedMessages);
  if (GetParam().captureFailedMessages) {
    EXPECT_EQ(shown[1], (FakeMessageBox::Shown{L"キャプチャ失敗", L"Lorik", mb::kIconError}));
  }
  EXPECT_EQ(h.uiMessages.Beeps(), GetParam().beeps);
  EXPECT_EQ(h.state->conversionCount.load(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Suppression, FailedSingleShotTest,
                         ::testing::Values(FailedShotCase{false, 1, 0},
                                           FailedShotCase{true, 0, 1}));

}  // namespace
}  // namespace lorik
