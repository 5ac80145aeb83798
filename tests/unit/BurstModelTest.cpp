// The review's portable parts: the burst in capture order with offsets from
// the press, the press frame's label, marks, what goes to the Recycle Bin, a
// file that vanished, the order of decoding and the keys' table.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Text.h"
#include "platform/PlatformValues.h"
#include "review/BurstModel.h"
#include "review/ReviewKeys.h"

namespace lorik {
namespace {

SystemTime At(uint16_t hour, uint16_t minute, uint16_t second, uint16_t ms, uint16_t day = 11) {
  SystemTime t;
  t.year = 2026;
  t.month = 12;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.milliseconds = ms;
  return t;
}

const SystemTime kPress = At(16, 40, 10, 250);

// A file captured `offsetMs` from the press, named after its offset.
ShotFile Captured(int offsetMs) {
  const int total = 10 * 1000 + 250 + offsetMs;  // ms after 16:40:00
  return {L"C:\\shots\\m" + std::to_wstring(offsetMs) + L".png",
          At(16, 40, static_cast<uint16_t>(total / 1000), static_cast<uint16_t>(total % 1000))};
}

std::vector<std::wstring> Labels(const BurstModel& model) {
  std::vector<std::wstring> labels;
  for (size_t i = 0; i < model.Size(); ++i) labels.push_back(model.Label(i));
  return labels;
}

TEST(OffsetLabel, OneDecimalWithItsSignAndThePressByName) {
  struct Case {
    int64_t ms;
    bool press;
    const wchar_t* label;
  };
  const Case cases[] = {
      {-400, false, L"-0.4秒"}, {300, false, L"+0.3秒"},  {0, true, L"押下"},
      {-30, true, L"押下"},     {-50, false, L"-0.1秒"},  {49, false, L"+0.0秒"},
      {-49, false, L"-0.0秒"},  {1250, false, L"+1.3秒"}, {-10000, false, L"-10.0秒"},
      {99, false, L"+0.1秒"},   {0, false, L"+0.0秒"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OffsetLabel(c.ms, c.press), c.label) << c.ms;
  }
}

TEST(OffsetLabel, TimeIsCountedAcrossMidnightAndMonthEnds) {
  EXPECT_EQ(MillisecondsBetween(At(23, 59, 59, 900, 11), At(0, 0, 0, 200, 12)), 300);
  SystemTime endOfYear = At(23, 59, 59, 950, 31);
  SystemTime newYear = At(0, 0, 0, 50, 1);
  newYear.year = 2027;
  newYear.month = 1;
  EXPECT_EQ(MillisecondsBetween(endOfYear, newYear), 100);
  EXPECT_EQ(MillisecondsBetween(newYear, endOfYear), -100);
}

TEST(BurstModel, FramesInCaptureOrderWithThePressNearestItLabelled) {
  // Written out of order, as two conversion workers may finish them.
  const BurstModel model(kPress, {Captured(100), Captured(-400), Captured(-20), Captured(200),
                                  Captured(-300), Captured(80)});
  EXPECT_EQ(Labels(model), (std::vector<std::wstring>{L"-0.4秒", L"-0.3秒", L"押下", L"+0.1秒",
                                                      L"+0.1秒", L"+0.2秒"}));
  EXPECT_EQ(model.PressIndex(), 2u);
  EXPECT_EQ(model.At(2).file.path, L"C:\\shots\\m-20.png");
  EXPECT_EQ(model.At(3).offsetMs, 80);
}

TEST(BurstModel, TwoFramesAsNearTheOtherSideOfThePressGoToTheEarlier) {
  const BurstModel model(kPress, {Captured(50), Captured(-50)});
  EXPECT_EQ(Labels(model), (std::vector<std::wstring>{L"押下", L"+0.1秒"}));
}

TEST(BurstModel, ASingleShotIsItsOwnPress) {
  const BurstModel model(kPress, {Captured(0)});
  EXPECT_EQ(Labels(model), std::vector<std::wstring>{L"押下"});
  EXPECT_TRUE(BurstModel().Empty());
}

TEST(BurstModel, MarksAreShownAndLeaveTheRestToRecycleInCaptureOrder) {
  BurstModel model(kPress, {Captured(-200), Captured(-100), Captured(0), Captured(100)});
  EXPECT_TRUE(model.ToggleMark(1));
  EXPECT_TRUE(model.ToggleMark(3));
  EXPECT_TRUE(model.ToggleMark(2));
  EXPECT_FALSE(model.ToggleMark(2));  // Space again: no longer kept
  EXPECT_EQ(model.MarkedCount(), 2u);
  EXPECT_EQ(Labels(model), (std::vector<std::wstring>{L"-0.2秒", L"★-0.1秒", L"押下", L"★+0.1秒"}));
  const std::vector<uint32_t> unmarked = model.Unmarked();
  ASSERT_EQ(unmarked.size(), 2u);
  EXPECT_EQ(model.At(*model.IndexOf(unmarked[0])).offsetMs, -200);
  EXPECT_EQ(model.At(*model.IndexOf(unmarked[1])).offsetMs, 0);
}

TEST(BurstModel, AFileThatWentLeavesTheOthersWithTheirMarksAndIds) {
  BurstModel model(kPress, {Captured(-100), Captured(0), Captured(100)});
  model.ToggleMark(2);
  const uint32_t last = model.At(2).id;
  model.Remove(model.At(0).id);
  ASSERT_EQ(model.Size(), 2u);
  EXPECT_EQ(model.IndexOf(last), 1u);
  EXPECT_TRUE(model.At(1).marked);
  model.Remove(12345);  // unknown: nothing happens
  EXPECT_EQ(model.Size(), 2u);
  // The press frame's file went: no other frame becomes the press.
  model.Remove(model.At(0).id);
  EXPECT_EQ(Labels(model), std::vector<std::wstring>{L"★+0.1秒"});
  model.Remove(last);
  EXPECT_TRUE(model.Empty());
  EXPECT_TRUE(model.Unmarked().empty());
}

TEST(BurstModel, FilesWrittenLaterJoinInCaptureOrderOnce) {
  BurstModel model(kPress, {Captured(-300), Captured(100)});
  model.ToggleMark(1);
  const std::vector<size_t> added =
      model.Merge({Captured(-300), Captured(-20), Captured(100), Captured(200), Captured(-400)});
  EXPECT_EQ(added, (std::vector<size_t>{0, 2, 4}));
  EXPECT_EQ(Labels(model),
            (std::vector<std::wstring>{L"-0.4秒", L"-0.3秒", L"押下", L"★+0.1秒", L"+0.2秒"}));
  EXPECT_TRUE(model.Merge({Captured(200)}).empty());
}

TEST(NearestFirst, AlternatesOutwardsTheEarlierFirst) {
  struct Case {
    size_t centre;
    size_t count;
    std::vector<size_t> order;
  };
  const Case cases[] = {
      {2, 5, {2, 1, 3, 0, 4}},    {0, 4, {0, 1, 2, 3}}, {3, 4, {3, 2, 1, 0}},
      {1, 6, {1, 0, 2, 3, 4, 5}}, {9, 3, {2, 1, 0}},    {0, 0, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NearestFirst(c.centre, c.count), c.order) << c.centre << " of " << c.count;
  }
}

TEST(ReviewKeys, EachKeyHasItsActionAndOthersNone) {
  struct Case {
    uint16_t key;
    std::optional<ReviewAction> action;
  };
  const Case cases[] = {
      {vk::kLeft, ReviewAction::Previous},
      {vk::kRight, ReviewAction::Next},
      {vk::kSpace, ReviewAction::ToggleMark},
      {vk::kDelete, ReviewAction::RecycleSelected},
      {vk::kReturn, ReviewAction::Open},
      {vk::kEscape, ReviewAction::Close},
      {0x26 /* up */, std::nullopt},
      {0x08 /* backspace */, std::nullopt},
      {'A', std::nullopt},
      {0x2D /* insert */, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ReviewKeyAction(c.key), c.action) << c.key;
}

}  // namespace
}  // namespace lorik
