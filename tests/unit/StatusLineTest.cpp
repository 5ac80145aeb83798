#include <gtest/gtest.h>

#include "app/StatusLine.h"
#include "controls/InfoProgressCtrl.h"
#include "core/Text.h"

namespace lorik {
namespace {

StatusInput Running(uint32_t waiting, int32_t capacity) {
  StatusInput in;
  in.targetPresent = true;
  in.conversionCount = waiting;
  in.capacity = capacity;
  return in;
}

TEST(ComposeStatusLine, StateAndPositionFollowTheFreePartOfTheBuffer) {
  struct Case {
    uint32_t waiting;
    int32_t capacity;
    int state;
    int16_t position;
  };
  const Case cases[] = {
      {0, 50, pbst::kNormal, 10000},
      {1, 50, pbst::kPaused, 9800},
      {25, 50, pbst::kPaused, 5000},
      // A ratio of exactly 0.9 is not above it; 1 - r lands just below 0.1 and
      // the position is truncated.
      {45, 50, pbst::kPaused, 999},
      {46, 50, pbst::kError, 799},
      {50, 50, pbst::kError, 0},
      {51, 50, pbst::kError, -200},
      // Far beyond the capacity: the low 16 bits of a clamped 32-bit value.
      {100000, 1, pbst::kError, 23824},  // low bits of -999990000
      {4000000000u, 1, pbst::kError, 0},
      // A capacity the check would refuse counts as full.
      {0, 0, pbst::kError, 0},
      {3, -5, pbst::kError, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.waiting << " of " << c.capacity);
    const StatusLine line = ComposeStatusLine(Running(c.waiting, c.capacity));
    EXPECT_EQ(line.state, c.state);
    EXPECT_EQ(line.position, c.position);
  }
}

TEST(ComposeStatusLine, TextNamesTheLastSaveOrTheFreeSlots) {
  struct Case {
    int32_t profileNo;
    SystemTime time;
    bool bufferInfo;
    uint32_t waiting;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0, {}, false, 0, L"S 00:00:00"},
      {0, {2024, 5, 1, 3, 9, 5, 7, 123}, false, 10, L"S 09:05:07"},
      {2, {2024, 5, 1, 3, 23, 59, 58, 0}, false, 0, L"M02 23:59:58"},
      {12, {}, false, 0, L"M12 00:00:00"},
      {2, {2024, 5, 1, 3, 23, 59, 58, 0}, true, 20, L"30 / 50 枚"},
      {0, {}, true, 0, L"50 / 50 枚"},
      // More waiting than the capacity: a negative count of free slots.
      {0, {}, true, 60, L"-10 / 50 枚"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text));
    StatusInput in = Running(c.waiting, 50);
    in.lastSaved = {c.profileNo, c.time};
    in.showBufferInfo = c.bufferInfo;
    EXPECT_EQ(ComposeStatusLine(in).text, c.text);
  }
}

TEST(ComposeStatusLine, AGrabMethodOtherThanTheWindowDcIsNamed) {
  struct Case {
    GrabMethod method;
    bool bufferInfo;
    bool present;
    const wchar_t* text;
  };
  const Case cases[] = {
      {GrabMethod::kWindowDc, false, true, L"S 00:00:00"},
      {GrabMethod::kPrintWindow, false, true, L"S 00:00:00 (PrintWindow)"},
      {GrabMethod::kScreen, true, true, L"50 / 50 枚 (画面)"},
      // Lost: the search state alone.
      {GrabMethod::kScreen, false, false, L"キャプ対象捜索中"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text));
    StatusInput in = Running(0, 50);
    in.targetPresent = c.present;
    in.recaptureAfterLost = true;
    in.showBufferInfo = c.bufferInfo;
    in.grabMethod = c.method;
    EXPECT_EQ(ComposeStatusLine(in).text, c.text);
  }
}

TEST(ComposeStatusLine, LostTargetNamesTheSearchStateAndKeepsThePosition) {
  struct Case {
    bool recapture;
    const wchar_t* text;
  };
  const Case cases[] = {
      {true, L"キャプ対象捜索中"},
      {false, L"キャプチャ停止"},
  };
  for (const Case& c : cases) {
    StatusInput in = Running(50, 50);
    in.targetPresent = false;
    in.recaptureAfterLost = c.recapture;
    in.showBufferInfo = true;
    EXPECT_EQ(ComposeStatusLine(in), (StatusLine{pbst::kError, std::nullopt, c.text}));
  }
}

}  // namespace
}  // namespace lorik
