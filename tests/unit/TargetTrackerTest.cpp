#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/FakeMessageBox.h"
#include "fakes/FakeScreenGrab.h"
#include "fakes/FakeWindowSystem.h"
#include "target/AreaRecognition.h"
#include "target/TargetTracker.h"

namespace lorik {
namespace {

constexpr wchar_t kSizeChanged[] =
    L"ウィンドウサイズが変更されました。正しくキャプチャできないかもしれません。";
constexpr wchar_t kRecognizeAgain[] = L"再度、キャプチャ領域を自動認識しますか？";
constexpr wchar_t kTargetGone[] = L"キャプチャ対象が離脱!";
constexpr unsigned kTopmost = 0x00040000;
constexpr unsigned kWarningStyle = mb::kIconExclamation | kTopmost;
constexpr unsigned kQuestionStyle = mb::kYesNo | mb::kIconQuestion | kTopmost;

// The main window as far as tracking goes: its capture record in desktop mode
// as ApplySetting leaves it, a target window on the fake desktop, and the two
// timer ticks in the order the main window runs them.
class TrackerTest : public ::testing::Test {
 protected:
  TrackerTest() {
    target = windows.AddWindow(0x2000, {}, L"Browser", L"Game", 0, 7, {1300, 800}, {100, 50});
    capture.captureFromDesktop = true;
    capture.showDialogOnLost = true;
    capture.automaticallyRecaptureAfterLost = true;
    capture.periodBetweenEachCapture = 100;
    capture.targetWindow = windows.DesktopWindow();
    capture.trackedWindow = target;
    capture.trackedRect = windows.WindowRect(target);
    capture.captureArea = {150, 80, 1350, 800};
  }

  // Capture timer: the tracking step, then the capture (counted here).
  void CaptureTick() {
    tracker.TrackingStep();
    ++captures;
  }
  void CaptureTicks(int n) {
    for (int i = 0; i < n; ++i) CaptureTick();
  }
  void Resize(Size client) { windows.Resize(target, client); }

  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& m : messages.Messages()) texts.push_back(m.text);
    return texts;
  }

  FakeWindowSystem windows;
  FakeMessageBox messages;
  CaptureSettings capture;
  WindowHandle target;
  int captures = 0;

  std::vector<CaptureSettings> searches;  // the copies FindTargetWindow was given
  std::function<WindowHandle(const CaptureSettings&)> onFind = [](const CaptureSettings&) {
    return WindowHandle{};
  };
  int recognitions = 0;
  std::function<bool(CaptureSettings&)> onRecognize = [](CaptureSettings&) { return false; };

  TargetTracker tracker{capture, windows, messages,
                        [this](CaptureSettings copy) {
                          searches.push_back(copy);
                          return onFind(copy);
                        },
                        [this](CaptureSettings& record) {
                          ++recognitions;
                          return onRecognize(record);
                        }};
};

TEST_F(TrackerTest, AMoveShiftsTheCaptureAreaByTheSameOffsetWithoutAMessage) {
  windows.Move(target, {400, 10});
  CaptureTick();
  EXPECT_EQ(capture.captureArea, (Rect{450, 40, 1650, 760}));
  EXPECT_EQ(capture.trackedRect, windows.WindowRect(target));
  EXPECT_EQ(messages.Count(), 0u);

  windows.Move(target, {0, 0});
  CaptureTick();
  EXPECT_EQ(capture.captureArea, (Rect{50, 30, 1250, 750}));
  EXPECT_EQ(messages.Count(), 0u);
  EXPECT_EQ(captures, 2);
}

TEST_F(TrackerTest, AMoveLeavesTheQuietCountAsItIs) {
  capture.showDialogOnLost = false;
  Resize({1000, 700});
  CaptureTick();
  ASSERT_EQ(tracker.ResizeQuietTicks(), 50u);
  windows.Move(target, {300, 300});
  CaptureTick();
  EXPECT_EQ(tracker.ResizeQuietTicks(), 50u);
  CaptureTick();
  EXPECT_EQ(tracker.ResizeQuietTicks(), 49u);
}

TEST_F(TrackerTest, WindowModeFollowsNothing) {
  capture.captureFromDesktop = false;
  capture.targetWindow = target;
  const CaptureSettings before = capture;
  windows.Move(target, {500, 500});
  CaptureTick();
  Resize({640, 480});
  CaptureTick();
  EXPECT_EQ(capture, before);
  EXPECT_EQ(messages.Count(), 0u);
  EXPECT_EQ(tracker.ResizeQuietTicks(), 0u);
}

TEST_F(TrackerTest, DraggingTheBorderWarnsOnceUntilTheRectangleHasStayedForTheQuietTicks) {
  capture.automaticallyRecaptureAfterLost = false;
  const Rect area = capture.captureArea;
  for (int w = 1310; w <= 1350; w += 10) {
    Resize({w, 800});
    CaptureTick();
  }
  ASSERT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{{kSizeChanged, L"Lorik", kWarningStyle}}));
  EXPECT_EQ(capture.trackedRect, windows.WindowRect(target));
  EXPECT_EQ(capture.captureArea, area) << "a change of size does not move the area";

  // 49 quiet ticks after the last change are not enough...
  CaptureTicks(49);
  Resize({1360, 800});
  CaptureTick();
  EXPECT_EQ(messages.Count(), 1u);
  // ...and that change started the count again: 50 unchanged ticks, then a report.
  CaptureTicks(50);
  EXPECT_EQ(tracker.ResizeQuietTicks(), 0u);
  Resize({1370, 800});
  CaptureTick();
  EXPECT_EQ(messages.Count(), 2u);
}

struct PeriodCase {
  uint32_t period;
  uint32_t quietTicks;
};

class QuietTicksTest : public TrackerTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(QuietTicksTest, AChangeOfSizeGivesFiveSecondsOfCaptureTicks) {
  capture.periodBetweenEachCapture = GetParam().period;
  capture.showDialogOnLost = false;
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(tracker.ResizeQuietTicks(), GetParam().quietTicks);
}

INSTANTIATE_TEST_SUITE_P(Periods, QuietTicksTest,
                         ::testing::Values(PeriodCase{100, 50}, PeriodCase{10, 500},
                                           PeriodCase{30, 166}, PeriodCase{5000, 1},
                                           PeriodCase{7000, 0}, PeriodCase{0, 5000}));

struct OptionCase {
  const char* name;
  bool showDialogOnLost;
  bool autoRecapture;
  std::vector<std::wstring> texts;
};

class ResizeOptionsTest : public TrackerTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(ResizeOptionsTest, TheOptionsChooseTheMessages) {
  const OptionCase& c = GetParam();
  capture.showDialogOnLost = c.showDialogOnLost;
  capture.automaticallyRecaptureAfterLost = c.autoRecapture;
  messages.SetAnswer(mb::kIdNo);
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(Texts(), c.texts);
  EXPECT_EQ(tracker.ResizeQuietTicks(), 50u);
  EXPECT_EQ(capture.trackedRect, windows.WindowRect(target));
  EXPECT_EQ(recognitions, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ResizeOptionsTest,
    ::testing::Values(OptionCase{"Silent", false, false, {}},
                      OptionCase{"SilentWithoutDialogWhateverRecapture", false, true, {}},
                      OptionCase{"WarningOnly", true, false, {kSizeChanged}},
                      OptionCase{
                          "WarningAndQuestion", true, true, {kSizeChanged, kRecognizeAgain}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrackerTest, TheQuestionAsksYesNoOnTop) {
  messages.SetAnswer(mb::kIdNo);
  Resize({1000, 700});
  CaptureTick();
  ASSERT_EQ(messages.Count(), 2u);
  EXPECT_EQ(messages.Messages()[1],
            (FakeMessageBox::Shown{kRecognizeAgain, L"Lorik", kQuestionStyle}));
}

TEST_F(TrackerTest, NoLeavesEverythingAndTheNextChangeStaysSilent) {
  messages.SetAnswer(mb::kIdNo);
  const Rect area = capture.captureArea;
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(capture.captureArea, area);
  EXPECT_EQ(capture.targetWindow, windows.DesktopWindow());
  CaptureTicks(10);
  Resize({1100, 700});
  CaptureTick();
  EXPECT_EQ(messages.Count(), 2u);
}

TEST_F(TrackerTest, YesRecognisesOnTheTrackedWindowAndMakesTheResultAScreenRectangle) {
  messages.SetAnswer(mb::kIdYes);
  WindowHandle seenTarget;
  onRecognize = [&](CaptureSettings& record) {
    seenTarget = record.targetWindow;
    record.captureArea = {8, 31, 1208, 751};  // the 1200 by 720 content, window-relative
    return true;
  };
  Resize({1216, 790});
  windows.Move(target, {200, 60});
  CaptureTick();

  EXPECT_EQ(recognitions, 1);
  EXPECT_EQ(seenTarget, target);
  EXPECT_EQ(capture.targetWindow, windows.DesktopWindow());
  EXPECT_EQ(capture.captureArea, (Rect{208, 91, 1408, 811}));
  EXPECT_EQ(tracker.ResizeQuietTicks(), 0u);

  // With the count at 0 the next change of size is reported at once.
  messages.SetAnswer(mb::kIdNo);
  Resize({1000, 790});
  CaptureTick();
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{kSizeChanged, kRecognizeAgain, kSizeChanged,
                                                kRecognizeAgain}));
}

TEST_F(TrackerTest, AFailedRecognitionKeepsTheWholeWindowRectangleUnshifted) {
  messages.SetAnswer(mb::kIdYes);
  Resize({1000, 700});
  onRecognize = [&](CaptureSettings& record) {
    record.captureArea = windows.WindowRect(record.targetWindow);
    return false;
  };
  CaptureTick();
  EXPECT_EQ(capture.captureArea, windows.WindowRect(target));
  EXPECT_EQ(capture.targetWindow, windows.DesktopWindow());
  EXPECT_EQ(tracker.ResizeQuietTicks(), 0u);
}

TEST_F(TrackerTest, AClosedWindowIsOneChangeOfSizeAndThenSilence) {
  capture.automaticallyRecaptureAfterLost = false;
  windows.Destroy(target);
  CaptureTicks(200);
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{kSizeChanged}));
  EXPECT_EQ(capture.trackedRect, Rect{});
  EXPECT_EQ(capture.targetWindow, windows.DesktopWindow()) << "the desktop is never lost";
  EXPECT_EQ(captures, 200);
}

// Yes to the question about a tracked window that has been closed, with the
// main window's own recognition: nothing is there to recognise, and the
// configured area stays as it was.
class ClosedTrackedWindowTest : public TrackerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ClosedTrackedWindowTest, YesKeepsTheConfiguredArea) {
  const bool closedWhileAsking = GetParam();  // the question waits while the user closes it
  FakeScreenGrab grab;
  onRecognize = [&](CaptureSettings& record) {
    return RecognizeCaptureArea(record, windows, grab, messages);
  };
  const Rect configured = capture.captureArea;
  messages.SetAnswer(mb::kIdYes);
  if (closedWhileAsking) {
    Resize({1000, 700});
    messages.SetWhileOpen([&](const FakeMessageBox::Shown& shown) {
      if (shown.text == kRecognizeAgain) windows.Destroy(target);
    });
  } else {
    windows.Destroy(target);
  }

  CaptureTick();
  messages.SetWhileOpen(nullptr);

  EXPECT_EQ(capture.captureArea, configured);
  EXPECT_EQ(recognitions, 0);
  EXPECT_TRUE(grab.calls.empty());
  EXPECT_EQ(capture.targetWindow, windows.DesktopWindow());
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{kSizeChanged, kRecognizeAgain, kTargetGone}));
  // Later ticks read the same empty rectangle and stay silent.
  CaptureTicks(100);
  EXPECT_EQ(messages.Count(), 3u);
  EXPECT_EQ(capture.captureArea, configured);
}

INSTANTIATE_TEST_SUITE_P(WhenClosed, ClosedTrackedWindowTest, ::testing::Bool(),
                         [](const auto& info) {
                           return info.param ? "WhileAsked" : "BeforeTheTick";
                         });

// A recognition that fails without any area to show for it leaves the
// configured one in force instead.
TEST_F(TrackerTest, AFailedRecognitionWithoutAnAreaPutsTheConfiguredOneBack) {
  messages.SetAnswer(mb::kIdYes);
  const Rect configured = capture.captureArea;
  onRecognize = [](CaptureSettings& record) {
    record.captureArea = {};
    return false;
  };
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(recognitions, 1);
  EXPECT_EQ(capture.captureArea, configured);
}

// The capture timer fires inside the modal loops of the messages.
TEST_F(TrackerTest, TicksInsideTheWarningSeeTheNewRectangleAndOnlyCountDown) {
  capture.automaticallyRecaptureAfterLost = false;
  std::vector<uint32_t> quietInside;
  messages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    EXPECT_EQ(capture.trackedRect, windows.WindowRect(target));
    for (int i = 0; i < 3; ++i) {
      CaptureTick();
      quietInside.push_back(tracker.ResizeQuietTicks());
    }
  });
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(quietInside, (std::vector<uint32_t>{49, 48, 47}));
  EXPECT_EQ(messages.Count(), 1u);
}

TEST_F(TrackerTest, AChangeWhileTheQuestionHasBeenOpenLongNeverStacksASecondWarning) {
  messages.SetAnswer(mb::kIdNo);
  int nested = 0;
  messages.SetWhileOpen([&](const FakeMessageBox::Shown& shown) {
    if (shown.text != kRecognizeAgain || nested++ > 0) return;
    CaptureTicks(60);  // the user lets the question wait: the count reaches 0
    ASSERT_EQ(tracker.ResizeQuietTicks(), 0u);
    Resize({900, 600});
    CaptureTick();
    windows.Move(target, {10, 10});
    CaptureTick();
  });
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{kSizeChanged, kRecognizeAgain}));
  EXPECT_EQ(capture.trackedRect, windows.WindowRect(target)) << "the change was still recorded";
  EXPECT_EQ(tracker.ResizeQuietTicks(), 50u);
  EXPECT_FALSE(tracker.ResizeMessageOpen());

  // Once closed, changes are reported again after the quiet ticks.
  CaptureTicks(50);
  Resize({800, 600});
  CaptureTick();
  EXPECT_EQ(messages.Count(), 4u);
}

TEST_F(TrackerTest, WithoutQuietTicksAChangeInsideTheOpenWarningStaysSilent) {
  capture.periodBetweenEachCapture = 7000;
  capture.automaticallyRecaptureAfterLost = false;
  messages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    Resize({900, 600});
    CaptureTick();
  });
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(messages.Count(), 1u);
  EXPECT_EQ(capture.trackedRect, windows.WindowRect(target));

  messages.SetWhileOpen(nullptr);
  Resize({800, 600});
  CaptureTick();
  EXPECT_EQ(messages.Count(), 2u) << "with no quiet ticks every change outside a message reports";
}

TEST_F(TrackerTest, TicksDuringTheRecognitionsMessagesAskNothingAndItsResultStillShifts) {
  messages.SetAnswer(mb::kIdYes);
  onRecognize = [&](CaptureSettings& record) {
    EXPECT_TRUE(tracker.ResizeMessageOpen());
    // The recognition's own message, with ticks (a further change, a move) inside it.
    messages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
      messages.SetWhileOpen(nullptr);
      Resize({1100, 700});
      CaptureTick();
      windows.Move(target, {300, 200});
      CaptureTick();
    });
    messages.Show(L"自動認識成功", L"", mb::kIconInformation);
    record.captureArea = {10, 20, 1210, 740};
    return true;
  };
  Resize({1000, 700});
  CaptureTick();
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{kSizeChanged, kRecognizeAgain, L"自動認識成功"}));
  EXPECT_EQ(recognitions, 1);
  EXPECT_EQ(capture.captureArea, (Rect{310, 220, 1510, 940}));
  EXPECT_EQ(capture.targetWindow, windows.DesktopWindow());
  EXPECT_EQ(tracker.ResizeQuietTicks(), 0u);
}

class ResearchTest : public TrackerTest {
 protected:
  ResearchTest() {
    capture.captureFromDesktop = false;
    capture.targetWindow = {};
    capture.title = L"Game";
  }
};

TEST_F(ResearchTest, SearchesOnlyWhileLostAndRecaptureIsOn) {
  capture.automaticallyRecaptureAfterLost = false;
  tracker.ResearchStep();
  EXPECT_EQ(tracker.GetState(), TargetTracker::State::Stopped);
  EXPECT_FALSE(tracker.IsSearching());

  capture.automaticallyRecaptureAfterLost = true;
  capture.targetWindow = target;
  tracker.ResearchStep();
  EXPECT_EQ(tracker.GetState(), TargetTracker::State::LockedOn);
  EXPECT_TRUE(searches.empty());
}

TEST_F(ResearchTest, ALostTargetIsSearchedEveryTickUntilFound) {
  ASSERT_TRUE(tracker.IsSearching());
  tracker.ResearchStep();
  tracker.ResearchStep();
  EXPECT_EQ(searches.size(), 2u);
  EXPECT_EQ(capture.targetWindow, WindowHandle{});
  ASSERT_FALSE(searches.empty());
  EXPECT_EQ(searches[0], capture) << "the search gets a copy of the record as it is";

  onFind = [&](const CaptureSettings&) { return target; };
  tracker.ResearchStep();
  EXPECT_EQ(capture.targetWindow, target);
  EXPECT_EQ(tracker.GetState(), TargetTracker::State::LockedOn);
  tracker.ResearchStep();
  EXPECT_EQ(searches.size(), 3u);
}

TEST_F(ResearchTest, ATickInsideTheSearchsMessageStartsNoSecondSearch) {
  // The search fails with a message; the re-search timer fires inside it.
  onFind = [&](const CaptureSettings&) {
    messages.Show(L"アプリケーション情報を取得できませんでした", L"Lorik", mb::kIconError);
    return WindowHandle{};
  };
  int depth = 0;  // without the guard the nested searches would recurse for ever
  messages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    if (depth++ > 0) return;
    for (int i = 0; i < 5; ++i) tracker.ResearchStep();
  });
  tracker.ResearchStep();
  EXPECT_EQ(searches.size(), 1u);
  EXPECT_EQ(messages.Count(), 1u);

  // The guard ends with the search: the next tick searches again.
  messages.SetWhileOpen(nullptr);
  tracker.ResearchStep();
  EXPECT_EQ(searches.size(), 2u);
}

}  // namespace
}  // namespace lorik
