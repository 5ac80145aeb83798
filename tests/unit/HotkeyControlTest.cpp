#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/HotkeyControl.h"
#include "app/PressFeedback.h"
#include "fakes/FakeHotkeys.h"
#include "fakes/FakeKeyState.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeTrace.h"

namespace lorik {
namespace {

constexpr unsigned kCtrlAlt = 3;
constexpr unsigned kKeyS = 83;
constexpr unsigned kKey1 = 49;
constexpr unsigned kKeyA = 65;
constexpr int kSingleId = 16996;
constexpr int kProfile1Id = 16997;
constexpr int kProfile2Id = 16998;
constexpr int kProfile3Id = 16999;

constexpr wchar_t kSingleFailed[] = L"シングルショット用ホットキーの設定に失敗しました";

// What the hotkeys reached, in order: "feedback:<set>", "single", "multi:<index>".
class Recorder final : public PressFeedbackPort, public ShotTriggerPort {
 public:
  void PressFeedback(ButtonSet set) override {
    events.push_back("feedback:" + std::to_string(static_cast<int>(set)));
  }
  void TakeSingleShot() override {
    events.push_back("single");
    if (onSingle) onSingle();
  }
  void TriggerMultiShot(size_t index) override {
    events.push_back("multi:" + std::to_string(index));
  }
  int Count(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
  }

  std::vector<std::string> events;
  std::function<void()> onSingle;
};

// The default settings: Ctrl+Alt+S for the single shot, Ctrl+Alt+1 for
// profile 1, profile 2 without a key and profile 3 on the bare key A.
class HotkeyTest : public ::testing::Test {
 protected:
  HotkeyTest() {
    shots.singleShot = Shot(kSingleId, kCtrlAlt, kKeyS);
    shots.multiShots = {Shot(kProfile1Id, kCtrlAlt, kKey1), Shot(kProfile2Id, 0, 0),
                        Shot(kProfile3Id, 0, kKeyA)};
  }
  static MultiShotProfile Shot(int id, unsigned modifier, unsigned key) {
    MultiShotProfile p;
    p.id = id;
    p.modifier = static_cast<uint16_t>(modifier);
    p.virtualKey = static_cast<uint16_t>(key);
    return p;
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& m : messages.Messages()) texts.push_back(m.text);
    return texts;
  }

  ShotSettings shots;
  FakeHotkeys hotkeys;
  FakeTimers timers;
  FakeKeyState keys;
  FakeTrace trace;
  FakeMessageBox messages;
  Recorder recorder;
  HotkeyControl control{{hotkeys, timers, keys, trace, messages, recorder, recorder}, shots};
};

// A latch that no poll can release would leave the hotkey dead for the rest of
// the run: without the poll timer every press is taken.
TEST_F(HotkeyTest, WithoutThePollTimerNoHotkeyIsLatched) {
  control.RegisterHotkeys();
  timers.failStart = true;
  keys.Press(kKeyS);
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  keys.Release(kKeyS);
  keys.Press(kKeyS);  // pressed again, held down when its message arrives
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  EXPECT_EQ(recorder.Count("single"), 2);
  EXPECT_FALSE(control.IsLatched(kSingleId));
  EXPECT_FALSE(control.ReleasePollRunning());
}

TEST_F(HotkeyTest, RegistersEveryShotWithAKeyAddingNoRepeat) {
  control.RegisterHotkeys();
  using C = FakeHotkeys::Combination;
  ASSERT_EQ(hotkeys.registered.size(), 3u);
  EXPECT_EQ(hotkeys.registered.at(kSingleId).modifiers, kCtrlAlt | 0x4000);
  EXPECT_EQ(hotkeys.registered.at(kSingleId).virtualKey, kKeyS);
  EXPECT_EQ(hotkeys.registered.at(kProfile1Id).modifiers, kCtrlAlt | 0x4000);
  EXPECT_EQ(hotkeys.registered.at(kProfile1Id).virtualKey, kKey1);
  EXPECT_FALSE(hotkeys.IsRegistered(kProfile2Id)) << "a profile without a key is not registered";
  // A key without modifiers is registered exactly as configured.
  const C bare = hotkeys.registered.at(kProfile3Id);
  EXPECT_EQ(bare.modifiers, 0x4000u);
  EXPECT_EQ(bare.virtualKey, kKeyA);
  EXPECT_EQ(trace.Lines(),
            (std::vector<std::string>{"Registering Single Hotkey\n", "Registering Multi Hotkey\n",
                                      "Registering Multi Hotkey\n"}));
  EXPECT_EQ(messages.Count(), 0u);
  EXPECT_EQ(shots.singleShot.modifier, kCtrlAlt) << "the stored modifiers stay without it";
}

TEST_F(HotkeyTest, RegisteringAgainFirstUnregistersEachId) {
  control.RegisterHotkeys();
  control.RegisterHotkeys();
  EXPECT_EQ(messages.Count(), 0u);
  EXPECT_EQ(hotkeys.registered.size(), 3u);

  // Changed settings replace the old combinations.
  shots.singleShot.virtualKey = 'P';
  shots.multiShots[0].virtualKey = 0;
  control.RegisterHotkeys();
  EXPECT_EQ(hotkeys.registered.at(kSingleId).virtualKey, unsigned{'P'});
  EXPECT_FALSE(hotkeys.IsRegistered(kProfile1Id));
  EXPECT_EQ(messages.Count(), 0u);
}

TEST_F(HotkeyTest, AShotWithoutAKeyIsNeitherRegisteredNorReported) {
  shots.singleShot.virtualKey = 0;
  hotkeys.MarkTaken(0, 0);
  control.RegisterHotkeys();
  EXPECT_FALSE(hotkeys.IsRegistered(kSingleId));
  EXPECT_EQ(trace.Count("Registering Single Hotkey\n"), 0u);
  EXPECT_EQ(messages.Count(), 0u);
}

struct TakenCase {
  const char* name;
  std::vector<std::pair<unsigned, unsigned>> taken;  // (modifiers, key) held by another program
  std::vector<std::wstring> texts;
  std::vector<int> stillRegistered;
};

class TakenTest : public HotkeyTest, public ::testing::WithParamInterface<TakenCase> {};

TEST_P(TakenTest, EachFailureHasItsOwnMessageAndTheOthersStillRegister) {
  for (auto [mods, key] : GetParam().taken) hotkeys.MarkTaken(mods, key);
  control.RegisterHotkeys();
  EXPECT_EQ(Texts(), GetParam().texts);
  for (const auto& m : messages.Messages()) {
    EXPECT_EQ(m.caption, L"Lorik");
    EXPECT_EQ(m.style, mb::kIconError);
  }
  for (int id : GetParam().stillRegistered) EXPECT_TRUE(hotkeys.IsRegistered(id)) << id;
}

INSTANTIATE_TEST_SUITE_P(
    Registrations, TakenTest,
    ::testing::Values(
        TakenCase{"SingleShot", {{kCtrlAlt, kKeyS}}, {kSingleFailed}, {kProfile1Id, kProfile3Id}},
        TakenCase{"ThirdProfile",
                  {{0, kKeyA}},
                  {L"マルチショット03用ホットキーの設定に失敗しました"},
                  {kSingleId, kProfile1Id}},
        TakenCase{"AllOfThemInOrder",
                  {{0, kKeyA}, {kCtrlAlt, kKey1}, {kCtrlAlt, kKeyS}},
                  {kSingleFailed, L"マルチショット01用ホットキーの設定に失敗しました",
                   L"マルチショット03用ホットキーの設定に失敗しました"},
                  {}},
        TakenCase{"OtherModifiersAreAnotherCombination",
                  {{kCtrlAlt | 4, kKeyS}, {kCtrlAlt, kKeyA}},
                  {},
                  {kSingleId, kProfile1Id, kProfile3Id}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HotkeyTest, TwoProfilesOnOneCombinationReportTheSecond) {
  shots.multiShots[1] = Shot(kProfile2Id, kCtrlAlt, kKey1);
  control.RegisterHotkeys();
  EXPECT_EQ(Texts(),
            (std::vector<std::wstring>{L"マルチショット02用ホットキーの設定に失敗しました"}));
}

TEST_F(HotkeyTest, UnregisteringFreesEveryKeyForTheSettingsDialogAndCancelRegistersAgain) {
  control.RegisterHotkeys();
  control.UnregisterHotkeys();
  EXPECT_TRUE(hotkeys.registered.empty());
  control.RegisterHotkeys();
  EXPECT_EQ(hotkeys.registered.size(), 3u);
  EXPECT_EQ(messages.Count(), 0u);
}

TEST_F(HotkeyTest, TheSingleShotMatchesByIdAloneAfterItsPressedPicture) {
  control.OnHotKey(kSingleId, 0, 0);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"feedback:0", "single"}));
}

struct MatchCase {
  const char* name;
  int id;
  unsigned modifiers;
  unsigned key;
  std::vector<std::string> events;
};

class MatchTest : public HotkeyTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(MatchTest, AProfileMatchesByIdKeyAndModifiers) {
  const MatchCase& c = GetParam();
  control.OnHotKey(c.id, c.modifiers, c.key);
  EXPECT_EQ(recorder.events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MatchTest,
    ::testing::Values(
        MatchCase{"Profile1", kProfile1Id, kCtrlAlt, kKey1, {"multi:0"}},
        MatchCase{"OtherModifiers", kProfile1Id, 2, kKey1, {}},
        MatchCase{"OtherKey", kProfile1Id, kCtrlAlt, 50, {}},
        MatchCase{"BareKey", kProfile3Id, 0, kKeyA, {"multi:2"}},
        MatchCase{"NoRepeatReportedBack", kProfile1Id, kCtrlAlt | 0x4000, kKey1, {"multi:0"}},
        MatchCase{"UnknownId", 12345, kCtrlAlt, kKeyS, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HotkeyTest, AProfileSharingTheSingleShotsIdFiresAfterIt) {
  shots.multiShots[2] = Shot(kSingleId, kCtrlAlt, kKeyS);
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"feedback:0", "single", "multi:2"}));
}

// A script of what happens, one step at a time: "S+"/"S-" press or release S,
// "1+"/"1-" the key 1, "s" a WM_HOTKEY of the single shot (Ctrl+Alt+S), "m" one
// of profile 1 (Ctrl+Alt+1), "t" a tick of the release poll.
struct SequenceCase {
  const char* name;
  std::vector<std::string> steps;
  int singles;
  int multis;
};

class RepeatTest : public HotkeyTest, public ::testing::WithParamInterface<SequenceCase> {
 protected:
  void Run(const std::vector<std::string>& steps) {
    for (const std::string& step : steps) {
      if (step == "S+")
        keys.Press(kKeyS);
      else if (step == "S-")
        keys.Release(kKeyS);
      else if (step == "1+")
        keys.Press(kKey1);
      else if (step == "1-")
        keys.Release(kKey1);
      else if (step == "s")
        control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
      else if (step == "m")
        control.OnHotKey(kProfile1Id, kCtrlAlt, kKey1);
      else if (step == "t")
        EXPECT_TRUE(control.OnTimer(HotkeyControl::kReleaseTimerId));
      else
        FAIL() << "unknown step " << step;
    }
  }
};

TEST_P(RepeatTest, OnePressIsOneShot) {
  control.RegisterHotkeys();
  Run(GetParam().steps);
  EXPECT_EQ(recorder.Count("single"), GetParam().singles);
  EXPECT_EQ(recorder.Count("feedback:0"), GetParam().singles);
  EXPECT_EQ(recorder.Count("multi:0"), GetParam().multis);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, RepeatTest,
    ::testing::Values(
        SequenceCase{
            "HeldDown", {"S+", "s", "s", "t", "s", "t", "t", "s", "s", "t", "S-", "t"}, 1, 0},
        SequenceCase{"PressReleasePress", {"S+", "s", "S-", "t", "S+", "s", "S-", "t"}, 2, 0},
        SequenceCase{"HeldThenPressedAgain",
                     {"S+", "s", "s", "t", "s", "S-", "t", "S+", "s", "s", "t", "s"},
                     2,
                     0},
        // Short taps: the key is already up when the message is handled.
        SequenceCase{
            "QuickTaps", {"S+", "S-", "s", "t", "S+", "S-", "s", "t", "S+", "S-", "s"}, 3, 0},
        // Repeats still queued behind the release arrive before the next poll.
        SequenceCase{"RepeatsQueuedBehindTheRelease", {"S+", "s", "S-", "s", "s", "t", "t"}, 1, 0},
        SequenceCase{"AReleaseMustBeSeenByAPoll", {"S+", "s", "S-", "s", "t", "S+", "s"}, 2, 0},
        SequenceCase{"InterleavedWhileSHeld",
                     {"S+", "s", "1+", "m", "s", "m", "1-", "t", "s", "1+", "m", "s", "t", "1-",
                      "t", "s", "S-", "t"},
                     1,
                     2},
        SequenceCase{"BothHeldTogether",
                     {"S+", "1+", "s", "m", "s", "m", "t", "s", "m", "S-", "t", "m", "1-", "t",
                      "S+", "s", "1+", "m"},
                     2,
                     2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HotkeyTest, TheReleasePollRunsOnlyWhileAKeyIsLatched) {
  keys.Press(kKeyS);
  EXPECT_FALSE(timers.IsRunning(HotkeyControl::kReleaseTimerId));
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  EXPECT_EQ(timers.PeriodOf(HotkeyControl::kReleaseTimerId), HotkeyControl::kReleasePollMs);
  EXPECT_TRUE(control.IsLatched(kSingleId));
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  EXPECT_EQ(timers.starts.size(), 1u) << "a repeat does not restart the poll";

  control.OnTimer(HotkeyControl::kReleaseTimerId);
  EXPECT_TRUE(timers.IsRunning(HotkeyControl::kReleaseTimerId));
  keys.Release(kKeyS);
  control.OnTimer(HotkeyControl::kReleaseTimerId);
  EXPECT_FALSE(timers.IsRunning(HotkeyControl::kReleaseTimerId));
  EXPECT_FALSE(control.IsLatched(kSingleId));
}

TEST_F(HotkeyTest, OtherTimersAreNotItsOwn) {
  keys.Press(kKeyS);
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  keys.Release(kKeyS);
  const int queries = keys.queries;
  EXPECT_FALSE(control.OnTimer(15612));
  EXPECT_FALSE(control.OnTimer(17321));
  EXPECT_EQ(keys.queries, queries);
  EXPECT_TRUE(control.IsLatched(kSingleId));
}

TEST_F(HotkeyTest, RepeatsArrivingInsideTheShotsOwnMessageAreHeldBack) {
  // A failed capture shows a modal message; WM_HOTKEY keeps arriving in its loop.
  keys.Press(kKeyS);
  int nested = 0;
  recorder.onSingle = [&] {
    if (nested++ > 0) return;
    for (int i = 0; i < 5; ++i) control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  };
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  EXPECT_EQ(recorder.Count("single"), 1);
}

TEST_F(HotkeyTest, ShutdownUnregistersAndStopsThePoll) {
  control.RegisterHotkeys();
  keys.Press(kKeyS);
  control.OnHotKey(kSingleId, kCtrlAlt, kKeyS);
  ASSERT_TRUE(timers.IsRunning(HotkeyControl::kReleaseTimerId));
  control.Shutdown();
  EXPECT_TRUE(hotkeys.registered.empty());
  EXPECT_FALSE(timers.IsRunning(HotkeyControl::kReleaseTimerId));
  EXPECT_FALSE(control.IsLatched(kSingleId));
}

}  // namespace
}  // namespace lorik
