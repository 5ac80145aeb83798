#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "controls/InfoProgressCtrl.h"
#include "fakes/FakeNativeProgressBar.h"

namespace lorik {
namespace {

using Op = FakeNativeProgressBar::Op;
using Call = FakeNativeProgressBar::Call;
using Calls = std::vector<Call>;

class InfoProgressTest : public ::testing::Test {
 protected:
  void SetUp() override { bar.Attach(&native); }

  // What the main window does at initialisation.
  void InitAsMainWindow() {
    bar.SetAnimation(false);
    bar.SetRange(0, 10000);
    bar.SetPos(10000);
    native.calls.clear();
  }

  FakeNativeProgressBar native;
  CCustomProgressCtrl bar;
};

TEST_F(InfoProgressTest, MainWindowInitialisationShowsTheFullBarWithoutAnimating) {
  bar.SetAnimation(false);
  bar.SetRange(0, 10000);
  bar.SetPos(10000);

  const Calls expected{
      {Op::SetRange, 0, 10000},
      // The range changed: the old position is applied again, one past and back.
      {Op::SetPos, 1},
      {Op::SetPos, 0},
      // At the maximum the range is widened for the moment of the move.
      {Op::SetRange32, 0, 10001},
      {Op::SetPos, 10001},
      {Op::SetPos, 10000},
      {Op::SetRange32, 0, 10000},
  };
  EXPECT_EQ(native.calls, expected);
  EXPECT_EQ(native.pos, 10000);
  EXPECT_EQ(native.upper, 10000);
  EXPECT_EQ(bar.AppliedPos(), 10000);
  EXPECT_EQ(bar.AppliedUpper(), 10000);
}

TEST_F(InfoProgressTest, PositionChangesWithoutAnimationJumpThroughOnePastTheTarget) {
  struct Case {
    int pos;
    Calls calls;
    int storedPos;  // after the clamp into the range
    int nativePos;
  };
  const Case cases[] = {
      {10000, {}, 10000, 10000},  // unchanged: no message at all
      {5000, {{Op::SetPos, 5001}, {Op::SetPos, 5000}}, 5000, 5000},
      {0, {{Op::SetPos, 1}, {Op::SetPos, 0}}, 0, 0},
      {9999, {{Op::SetPos, 10000}, {Op::SetPos, 9999}}, 9999, 9999},
      // A buffer holding one frame more than its size gives a negative position.
      {-3, {{Op::SetPos, -2}, {Op::SetPos, -3}}, 0, 0},
      {12000,
       {{Op::SetRange32, 0, 12001},
        {Op::SetPos, 12001},
        {Op::SetPos, 12000},
        {Op::SetRange32, 0, 10000}},
       10000,
       10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pos);
    FakeNativeProgressBar fresh;
    CCustomProgressCtrl control;
    control.Attach(&fresh);
    control.SetAnimation(false);
    control.SetRange(0, 10000);
    control.SetPos(10000);
    fresh.calls.clear();

    control.SetPos(c.pos);
    EXPECT_EQ(fresh.calls, c.calls);
    EXPECT_EQ(control.Pos(), c.storedPos);
    EXPECT_EQ(control.AppliedPos(), c.pos);
    EXPECT_EQ(fresh.pos, c.nativePos);
  }
}

TEST_F(InfoProgressTest, RepeatedUnchangedRefreshesSendNothing) {
  InitAsMainWindow();
  bar.SetPos(-3);
  native.calls.clear();
  // The main window asks for the same negative position at every tick.
  for (int i = 0; i < 3; ++i) bar.SetPos(-3);
  EXPECT_TRUE(native.calls.empty());
}

TEST_F(InfoProgressTest, SyncReturnsTheFirstMovesResult) {
  InitAsMainWindow();
  // PBM_SETPOS answers with the previous position: 10000 before the move to 5001.
  EXPECT_EQ(bar.SetPos(5000), 10000);
  // Nothing sent: the position itself.
  EXPECT_EQ(bar.SetPos(5000), 5000);
}

TEST_F(InfoProgressTest, StateChangesOnceAndFollowsTheOldStatesSync) {
  InitAsMainWindow();
  bar.SetState(pbst::kPaused);
  EXPECT_EQ(native.calls, (Calls{{Op::SetState, pbst::kPaused}}));
  EXPECT_EQ(native.state, pbst::kPaused);

  native.calls.clear();
  bar.SetState(pbst::kPaused);
  EXPECT_TRUE(native.calls.empty());

  // The sync ran with the old state, so the next refresh applies the new one once.
  bar.SetPos(10000);
  EXPECT_EQ(bar.AppliedState(), pbst::kPaused);
  native.calls.clear();
  bar.SetPos(10000);
  EXPECT_TRUE(native.calls.empty());
}

TEST_F(InfoProgressTest, AnimatedChangesGoStraightToTheNativeBar) {
  bar.SetRange(-5, 20);
  EXPECT_EQ(bar.Lower(), -5);
  bar.SetPos(7);
  bar.SetStep(4);
  bar.StepIt();
  bar.OffsetPos(-2);
  bar.SetRange32(0, 70000);
  const Calls expected{
      {Op::SetRange, -5, 20}, {Op::SetPos, 7},    {Op::SetStep, 4},
      {Op::StepIt},           {Op::DeltaPos, -2}, {Op::SetRange32, 0, 70000},
  };
  EXPECT_EQ(native.calls, expected);
  EXPECT_EQ(bar.Pos(), 9);
  EXPECT_EQ(bar.AppliedPos(), 9);
  EXPECT_EQ(native.pos, 9);
}

TEST_F(InfoProgressTest, StepAndOffsetWithoutAnimationAlsoJump) {
  InitAsMainWindow();
  bar.SetStep(-100);
  bar.StepIt();
  bar.OffsetPos(-900);
  const Calls expected{
      {Op::SetStep, -100}, {Op::SetPos, 9901}, {Op::SetPos, 9900},
      {Op::SetPos, 9001},  {Op::SetPos, 9000},
  };
  EXPECT_EQ(native.calls, expected);
  EXPECT_EQ(bar.Pos(), 9000);
}

TEST_F(InfoProgressTest, SetAnimationReturnsThePreviousValue) {
  EXPECT_TRUE(bar.SetAnimation(false));
  EXPECT_FALSE(bar.SetAnimation(false));
  EXPECT_FALSE(bar.SetAnimation(true));
}

TEST(InfoProgressSplit, TextRectangleIsSplitWhereTheFillEnds) {
  struct Case {
    const char* name;
    ProgressRange range;
    int pos;
    int32_t splitX;
  };
  const Rect text{1, 1, 91, 12};  // 90 pixels wide
  const Case cases[] = {
      {"half", {0, 10000}, 5000, 46},
      {"empty bar", {0, 10000}, 0, 1},
      {"full bar", {0, 10000}, 10000, 91},
      {"truncated toward zero", {0, 10000}, 3333, 1 + 29},
      {"offset range", {100, 200}, 150, 46},
      {"empty range", {50, 50}, 50, 1},
      {"reversed range", {100, 0}, 50, 1},
      {"below the range", {0, 100}, -10, 1},
      {"above the range", {0, 100}, 200, 91},
      {"wide range does not overflow", {0, INT_MAX}, INT_MAX, 91},
      {"negative wide range", {INT_MIN, INT_MAX}, 0, 46},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OverlaySplit split = CInfoProgressCtrl::SplitTextRect(text, c.range, c.pos);
    EXPECT_EQ(split.filled, (Rect{1, 1, c.splitX, 12}));
    EXPECT_EQ(split.empty, (Rect{c.splitX, 1, 91, 12}));
  }
}

struct Drawn {
  std::wstring text;
  Rect textRect;
  Rect clip;
  ColourRef colour;
  friend bool operator==(const Drawn&, const Drawn&) = default;
};

class RecordingPainter final : public OverlayTextPainter {
 public:
  void DrawClippedText(const std::wstring& text, const Rect& textRect, const Rect& clip,
                       ColourRef colour) override {
    drawn.push_back({text, textRect, clip, colour});
  }
  std::vector<Drawn> drawn;
};

TEST_F(InfoProgressTest, OverlayDrawsTheTextTwiceInTwoColoursSplitAtTheNativePosition) {
  bar.OnSetText(L"5 / 10 枚");
  // The native values count, not the requested ones.
  native.lower = 0;
  native.upper = 10000;
  native.pos = 2500;
  RecordingPainter painter;
  bar.OnPaint({0, 0, 82, 14}, painter);

  const Rect text{1, 1, 81, 13};
  EXPECT_EQ(bar.TextRect(), text);
  const std::vector<Drawn> expected{
      {L"5 / 10 枚", text, {1, 1, 21, 13}, kColourHighlightText},
      {L"5 / 10 枚", text, {21, 1, 81, 13}, kColourWindowText},
  };
  EXPECT_EQ(painter.drawn, expected);
}

TEST_F(InfoProgressTest, OverlayUsesTheColoursSet) {
  bar.SetTextColors(0x0000FF, 0x00FF00);
  RecordingPainter painter;
  bar.OnPaint({0, 0, 50, 10}, painter);
  ASSERT_EQ(painter.drawn.size(), 2u);
  EXPECT_EQ(painter.drawn[0].colour, 0x0000FFu);
  EXPECT_EQ(painter.drawn[1].colour, 0x00FF00u);
}

TEST_F(InfoProgressTest, SetTextPassesOnlyChangedTextsToTheNativeBar) {
  EXPECT_EQ(bar.OnSetText(L"M03 09:05:07"), 1);
  EXPECT_EQ(native.calls, (Calls{{Op::SetText}, {Op::Invalidate}}));
  EXPECT_EQ(native.text, L"M03 09:05:07");
  EXPECT_EQ(bar.Text(), L"M03 09:05:07");

  native.calls.clear();
  EXPECT_EQ(bar.OnSetText(L"M03 09:05:07"), 1);
  EXPECT_TRUE(native.calls.empty()) << "the same text must not repaint";

  // Compared exactly: a trailing space is a change.
  EXPECT_EQ(bar.OnSetText(L"M03 09:05:07 "), 1);
  EXPECT_EQ(native.calls, (Calls{{Op::SetText}, {Op::Invalidate}}));
}

TEST_F(InfoProgressTest, OwnerSetsTheTextAndRepaintsThroughTheControl) {
  bar.SetWindowText(L"10 / 10 枚");
  bar.SetWindowText(L"10 / 10 枚");
  bar.InvalidateErasing();
  EXPECT_EQ(native.calls, (Calls{{Op::SetText}, {Op::Invalidate}, {Op::Invalidate}}));
  EXPECT_EQ(native.text, L"10 / 10 枚");
}

TEST_F(InfoProgressTest, ClickTellsTheParent) {
  bar.OnLButtonUp();
  EXPECT_EQ(native.calls, (Calls{{Op::Notify, 0}}));

  FakeNativeProgressBar plainNative;
  CInfoProgressCtrl plain;
  plain.Attach(&plainNative);
  plain.OnLButtonUp();
  EXPECT_TRUE(plainNative.calls.empty());
}

TEST(InfoProgressAttach, WhatWasAskedBeforeAttachingReachesTheNativeBar) {
  CCustomProgressCtrl bar;
  bar.SetAnimation(false);
  bar.SetRange(0, 10000);
  bar.SetPos(10000);
  bar.SetState(pbst::kError);
  bar.OnSetText(L"キャプチャ停止");

  FakeNativeProgressBar native;
  bar.Attach(&native);
  EXPECT_EQ(native.lower, 0);
  EXPECT_EQ(native.upper, 10000);
  EXPECT_EQ(native.pos, 10000);
  EXPECT_EQ(native.state, pbst::kError);
  EXPECT_EQ(native.text, L"キャプチャ停止");

  // And afterwards the applied values match, so nothing more is sent.
  native.calls.clear();
  bar.SetPos(10000);
  bar.OnSetText(L"キャプチャ停止");
  EXPECT_TRUE(native.calls.empty());
}

TEST(InfoProgressAttach, DefaultsSendNothingAndDetachingStopsTheMessages) {
  CCustomProgressCtrl bar;
  FakeNativeProgressBar native;
  bar.Attach(&native);
  EXPECT_TRUE(native.calls.empty());

  bar.Attach(nullptr);
  bar.SetPos(40);
  bar.OnSetText(L"x");
  bar.OnLButtonUp();
  RecordingPainter painter;
  bar.OnPaint({0, 0, 10, 10}, painter);
  EXPECT_TRUE(native.calls.empty());
  EXPECT_EQ(bar.Pos(), 40);
}

}  // namespace
}  // namespace lorik
