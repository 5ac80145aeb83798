// Recognition of the content block on synthetic pages, through the fakes.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fakes/FakeMessageBox.h"
#include "fakes/FakeScreenGrab.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/MemoryPicture.h"
#include "settings/Settings.h"
#include "target/AreaRecognition.h"

namespace lorik {
namespace {

struct Bgr {
  uint8_t b, g, r;
};
constexpr Bgr kWhite{255, 255, 255};
constexpr Bgr kContent{120, 80, 40};      // no channel at 255: neither white nor bright
constexpr Bgr kScrollBar{200, 200, 200};  // likewise
constexpr Bgr kPureRed{0, 0, 255};        // bright, not white

struct Fill {
  Rect rect;
  Bgr colour;
};

// A white page of `width` by `height` with the fills painted in order, shifted
// by `offset` inside a picture that is `margin` larger (a window frame).
std::shared_ptr<MemoryPicture> Page(int width, int height, const std::vector<Fill>& fills,
                                    int bitsPerPixel = 24, Point offset = {}, Size margin = {}) {
  auto picture =
      MemoryPicture::Filled(width + margin.width, height + margin.height, bitsPerPixel, 255);
  const int bytes = bitsPerPixel / 8;
  for (const Fill& fill : fills) {
    for (int y = fill.rect.top; y < fill.rect.bottom; ++y) {
      uint8_t* row = picture->MutableBits() +
                     static_cast<size_t>(picture->Height() - 1 - (y + offset.y)) * picture->Pitch();
      for (int x = fill.rect.left; x < fill.rect.right; ++x) {
        uint8_t* p = row + (x + offset.x) * bytes;
        p[0] = fill.colour.b;
        p[1] = fill.colour.g;
        p[2] = fill.colour.r;
      }
    }
  }
  return picture;
}

void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

// ---------------------------------------------------------------------------
// ScanContentRect

struct ScanCase {
  const char* name;
  int width;
  int height;
  std::vector<Fill> fills;
  Rect search;  // empty: the whole picture
  bool found;
  Rect expected;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
  *os << c.name;
}

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTest, FindsTheBlock) {
  const ScanCase& c = GetParam();
  for (const int bpp : {24, 32}) {
    SCOPED_TRACE(bpp);
    auto picture = Page(c.width, c.height, c.fills, bpp);
    Rect r = c.search == Rect{} ? Rect{0, 0, c.width, c.height} : c.search;
    ASSERT_EQ(ScanContentRect(*picture, r), c.found);
    if (c.found) {
      EXPECT_EQ(r, c.expected);
    }
  }
}

// Widths of 101 make rows that need padding, so a pitch taken as width * 3 shows.
// In a picture of height 61 the middle row is 30; of height 60 it is 29.
INSTANTIATE_TEST_SUITE_P(
    Pages, ScanTest,
    ::testing::Values(
        ScanCase{"BlockOnWhitePage",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}},
                 {},
                 true,
                 {20, 10, 70, 45}},
        ScanCase{"BlockNearTheTopTellsTopFromBottom",
                 101,
                 61,
                 {{{30, 3, 50, 31}, kContent}},
                 {},
                 true,
                 {30, 3, 50, 31}},
        ScanCase{"MiddleRowIsLastRowOverTwoTruncated",
                 101,
                 60,
                 {{{20, 5, 60, 30}, kContent}},
                 {},
                 true,
                 {20, 5, 60, 30}},
        ScanCase{"MiddleRowPureWhite", 101, 61, {{{20, 0, 70, 30}, kContent}}, {}, false, {}},
        ScanCase{"BrightPixelWhereTheLeftColumnMeetsTheMiddleRow",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}, {{20, 30, 21, 31}, kPureRed}},
                 {},
                 false,
                 {}},
        ScanCase{"ColumnsZeroToNineIgnored", 101, 61, {{{0, 0, 10, 61}, kContent}}, {}, false, {}},
        ScanCase{"ColumnsZeroToNineIgnoredBesideABlock",
                 101,
                 61,
                 {{{0, 0, 10, 61}, kContent}, {{40, 20, 60, 40}, kContent}},
                 {},
                 true,
                 {40, 20, 60, 40}},
        ScanCase{"BlockFromColumnTenOn",
                 101,
                 61,
                 {{{10, 20, 60, 40}, kContent}},
                 {},
                 true,
                 {10, 20, 60, 40}},
        // The left-edge scan stops before the last column, so a mark there alone
        // is not found.
        ScanCase{
            "OnlyTheLastColumnNonWhite", 101, 61, {{{100, 0, 101, 61}, kContent}}, {}, false, {}},
        ScanCase{"TwoColumnsBeforeTheLastColumn",
                 101,
                 61,
                 {{{98, 25, 100, 35}, kContent}},
                 {},
                 true,
                 {98, 25, 100, 35}},
        // The right-edge scan stops short of the left edge.
        ScanCase{"OneColumnWideBlock", 101, 61, {{{40, 25, 41, 35}, kContent}}, {}, false, {}},
        // A bright left column stops both vertical scans at the middle row:
        // no height to tell, so no block.
        ScanCase{"PureRedBlock", 101, 61, {{{20, 10, 70, 45}, kPureRed}}, {}, false, {}},
        // Each channel alone makes a pixel bright.
        ScanCase{"BrightBlueAboveInLeftColumn",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}, {{20, 15, 21, 16}, {255, 0, 0}}},
                 {},
                 true,
                 {20, 16, 70, 45}},
        ScanCase{"BrightGreenBelowInLeftColumn",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}, {{20, 40, 21, 41}, {0, 255, 0}}},
                 {},
                 true,
                 {20, 10, 70, 40}},
        // Bright pixels off the left column do not count.
        ScanCase{"BrightRedBesideTheLeftColumn",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}, {{21, 15, 70, 16}, kPureRed}},
                 {},
                 true,
                 {20, 10, 70, 45}},
        // No bright pixel below: the bottom is the last row, one short of the page.
        ScanCase{"BlockReachesTheBottom",
                 101,
                 61,
                 {{{20, 10, 70, 61}, kContent}},
                 {},
                 true,
                 {20, 10, 70, 60}},
        // Row 0 is never looked at, so a white row 0 does not end the block.
        ScanCase{"WhiteRowZeroAboveBlockFromRowOne",
                 101,
                 61,
                 {{{20, 1, 70, 45}, kContent}},
                 {},
                 true,
                 {20, 0, 70, 45}},
        ScanCase{
            "BlockFromRowTwo", 101, 61, {{{20, 2, 70, 45}, kContent}}, {}, true, {20, 2, 70, 45}},
        // A search narrower than the page ends where it ends.
        ScanCase{"SearchStopsBeforeTheScrollBar",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}, {{84, 0, 101, 61}, kScrollBar}},
                 {0, 0, 84, 61},
                 true,
                 {20, 10, 70, 45}},
        ScanCase{"SearchReachesTheScrollBar",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}, {{84, 0, 101, 61}, kScrollBar}},
                 {},
                 true,
                 {20, 10, 101, 45}},
        // Searches that reach out of the picture are cut to it.
        ScanCase{"SearchLargerThanPicture",
                 101,
                 61,
                 {{{20, 10, 70, 61}, kContent}},
                 {0, 0, 5000, 4000},
                 true,
                 {20, 10, 70, 60}},
        ScanCase{"SearchFromNegativeOrigin",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}},
                 {-50, -50, 101, 61},
                 true,
                 {20, 10, 70, 45}},
        // Too narrow to scan past the start column.
        ScanCase{"ElevenColumns", 11, 61, {{{0, 0, 11, 61}, kContent}}, {}, false, {}},
        ScanCase{"TenColumns", 10, 61, {{{0, 0, 10, 61}, kContent}}, {}, false, {}},
        ScanCase{"OneColumn", 1, 61, {{{0, 0, 1, 61}, kContent}}, {}, false, {}},
        ScanCase{"TwelveColumns", 12, 61, {{{10, 0, 12, 61}, kContent}}, {}, true, {10, 0, 12, 60}},
        ScanCase{"OneRow", 101, 1, {{{20, 0, 70, 1}, kContent}}, {}, true, {20, 0, 70, 0}},
        ScanCase{"SearchLeftOfPicture",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}},
                 {-500, 0, -20, 61},
                 false,
                 {}},
        ScanCase{"SearchBelowPicture",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}},
                 {0, 61, 101, 200},
                 false,
                 {}},
        ScanCase{"SearchWithNegativeWidth",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}},
                 {0, 0, -137, 61},
                 false,
                 {}},
        ScanCase{"ExtremeSearch",
                 101,
                 61,
                 {{{20, 10, 70, 45}, kContent}},
                 {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
                  std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()},
                 true,
                 {20, 10, 70, 45}}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

TEST(ScanContentRectTest, RefusesPicturesItCannotRead) {
  for (const int bpp : {8, 16}) {
    MemoryPicture picture(64, 32, bpp);
    Rect r{0, 0, 64, 32};
    EXPECT_FALSE(ScanContentRect(picture, r)) << bpp;
  }
  MemoryPicture empty(0, 0, 24);
  Rect r{0, 0, 64, 32};
  EXPECT_FALSE(ScanContentRect(empty, r));
}

// ---------------------------------------------------------------------------
// RecognizeCaptureArea

constexpr WindowHandle kTarget{0x2001};
constexpr int kClientWidth = 1400;
constexpr int kClientHeight = 800;
// Where the content sits in the client area of most pages below.
constexpr Rect kBlock{40, 30, 1240, 750};
// The right 17 columns of the client area.
constexpr Rect kScrollBarStrip{kClientWidth - 17, 0, kClientWidth, kClientHeight};

// What the main window's capture tick would see while a message is open.
struct Seen {
  std::wstring text;
  unsigned style;
  WindowHandle targetWindow;
  Rect captureArea;
  friend bool operator==(const Seen&, const Seen&) = default;
};

void PrintTo(const Seen& s, std::ostream* os) {
  *os << "{" << ::testing::PrintToString(s.text) << ", style " << s.style << ", target "
      << s.targetWindow.value << ", area ";
  PrintTo(s.captureArea, os);
  *os << "}";
}

class RecognizeTest : public ::testing::Test {
 protected:
  RecognizeTest() : windows(Size{1920, 1080}) {
    capture.targetWindow = kTarget;
    capture.captureArea = {1, 2, 3, 4};  // never the outcome of any path
    messages.SetWhileOpen([this](const FakeMessageBox::Shown& shown) {
      EXPECT_EQ(shown.caption, L"");
      seen.push_back({shown.text, shown.style, capture.targetWindow, capture.captureArea});
    });
  }

  // The target as a framed window at 200, 100 with an 8-pixel border and a
  // 31-pixel caption.
  void AddTarget(Size client = {kClientWidth, kClientHeight}) {
    FakeWindowSystem::Window w;
    w.handle = kTarget;
    w.className = L"Page";
    w.client = client;
    w.windowRect = {200, 100, 200 + client.width + 16, 100 + client.height + 39};
    windows.Add(w);
  }
  static constexpr Point kFrameOffset{8, 31};

  bool Recognize() { return RecognizeCaptureArea(capture, windows, grab, messages); }

  FakeWindowSystem windows;
  FakeScreenGrab grab;
  FakeMessageBox messages;
  CaptureSettings capture;
  std::vector<Seen> seen;
};

constexpr wchar_t kSucceeded[] = L"自動認識成功";
constexpr wchar_t kDoubtful[] = L"自動認識失敗?";
constexpr wchar_t kScanFailed[] = L"自動認識に失敗しました";
constexpr wchar_t kCaptureFailed[] = L"キャプチャ失敗";

struct PageCase {
  const char* name;
  std::vector<Fill> fills;
  bool result;
  const wchar_t* message;  // the one message, shown with the client rectangle in place
  unsigned style;
  Rect area;  // captureArea afterwards
};

void PrintTo(const PageCase& c, std::ostream* os) {
  *os << c.name;
}

class RecognizePageTest : public RecognizeTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(RecognizePageTest, OneGrabOneMessage) {
  const PageCase& c = GetParam();
  AddTarget();
  grab.prepared = Page(kClientWidth, kClientHeight, c.fills);

  EXPECT_EQ(Recognize(), c.result);
  EXPECT_EQ(capture.captureArea, c.area);
  EXPECT_EQ(capture.targetWindow, kTarget);
  ASSERT_EQ(grab.calls.size(), 1u);
  EXPECT_EQ(grab.calls[0].source, kTarget);
  EXPECT_EQ(grab.calls[0].area, (Rect{0, 0, kClientWidth, kClientHeight}));
  EXPECT_EQ(grab.calls[0].bitsPerPixel, 24);
  // The result is stored only after the message has been answered.
  const Rect client{0, 0, kClientWidth, kClientHeight};
  EXPECT_EQ(seen, (std::vector<Seen>{{c.message, c.style, kTarget, client}}));
}

const Rect kClient{0, 0, kClientWidth, kClientHeight};
constexpr unsigned kInfo = mb::kIconInformation;
constexpr unsigned kError = mb::kIconError;

INSTANTIATE_TEST_SUITE_P(
    Pages, RecognizePageTest,
    ::testing::Values(
        PageCase{"ContentAloneFirstAttempt", {{kBlock, kContent}}, true, kSucceeded, kInfo, kBlock},
        PageCase{"ScrollBarSecondAttempt",
                 {{kBlock, kContent}, {kScrollBarStrip, kScrollBar}},
                 true,
                 kSucceeded,
                 kInfo,
                 kBlock},
        // A 140-column side panel is still in reach 17 columns in, not 154.
        PageCase{"SidePanelThirdAttempt",
                 {{kBlock, kContent},
                  {{kClientWidth - 140, 0, kClientWidth, kClientHeight}, kScrollBar}},
                 true,
                 kSucceeded,
                 kInfo,
                 kBlock},
        PageCase{"SmallerContentKeptWithDoubt",
                 {{{100, 50, 1100, 650}, kContent}},
                 true,
                 kDoubtful,
                 kError,
                 {100, 50, 1100, 650}},
        // The second attempt finds 1000 by 600 as well; the first one's rectangle stays.
        PageCase{"SmallerContentWithScrollBarKeepsFirstAttempt",
                 {{{100, 50, 1100, 650}, kContent}, {kScrollBarStrip, kScrollBar}},
                 true,
                 kDoubtful,
                 kError,
                 {100, 50, kClientWidth, 650}},
        // Never a rectangle of negative height.
        PageCase{"PureRedContentFails", {{kBlock, kPureRed}}, false, kScanFailed, kError, kClient},
        PageCase{"ContentReachingTheBottom",
                 {{{40, 79, 1240, kClientHeight}, kContent}},
                 true,
                 kSucceeded,
                 kInfo,
                 {40, 79, 1240, kClientHeight - 1}},
        PageCase{"WhiteMiddleRow",
                 {{{40, 0, 1240, 300}, kContent}},
                 false,
                 kScanFailed,
                 kError,
                 kClient},
        PageCase{"OnlyAScrollBarFailsSecondAttempt",
                 {{kScrollBarStrip, kScrollBar}},
                 false,
                 kScanFailed,
                 kError,
                 kClient},
        PageCase{"OnlyASidePanelFailsThirdAttempt",
                 {{{kClientWidth - 150, 0, kClientWidth, kClientHeight}, kScrollBar}},
                 false,
                 kScanFailed,
                 kError,
                 kClient},
        PageCase{"ContentOnlyInColumnsZeroToNine",
                 {{{0, 0, 10, kClientHeight}, kContent}},
                 false,
                 kScanFailed,
                 kError,
                 kClient}),
    [](const ::testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST_F(RecognizeTest, DesktopModeGrabsTheWindowRectangleFromTheScreen) {
  AddTarget();
  capture.captureFromDesktop = true;
  const Rect windowRect = windows.WindowRect(kTarget);
  // The frame sits round the client area; the scan still starts at the
  // picture's top-left corner, the window's outer corner.
  const std::vector<Fill> fills{{{-8, -31, kClientWidth + 8, 0}, kScrollBar},  // caption
                                {{-8, 0, 0, kClientHeight + 8}, kScrollBar},   // left border
                                {kBlock, kContent},
                                {kScrollBarStrip, kScrollBar}};
  grab.prepared = Page(kClientWidth, kClientHeight, fills, 24, kFrameOffset, {16, 39});

  EXPECT_TRUE(Recognize());
  ASSERT_EQ(grab.calls.size(), 1u);
  EXPECT_EQ(grab.calls[0].source, FakeWindowSystem::kDesktop);
  EXPECT_EQ(grab.calls[0].area, windowRect);
  EXPECT_EQ(capture.captureArea,
            (Rect{kBlock.left + kFrameOffset.x, kBlock.top + kFrameOffset.y,
                  kBlock.right + kFrameOffset.x, kBlock.bottom + kFrameOffset.y}));
  EXPECT_EQ(capture.targetWindow, kTarget);
  EXPECT_EQ(seen, (std::vector<Seen>{{kSucceeded, kInfo, kTarget, windowRect}}));
}

TEST_F(RecognizeTest, DesktopModeFailureLeavesTheWindowRectangle) {
  AddTarget();
  capture.captureFromDesktop = true;
  const Rect windowRect = windows.WindowRect(kTarget);
  grab.prepared = Page(kClientWidth + 16, kClientHeight + 39, {});

  EXPECT_FALSE(Recognize());
  EXPECT_EQ(capture.captureArea, windowRect);
  EXPECT_EQ(capture.targetWindow, kTarget);
  EXPECT_EQ(seen, (std::vector<Seen>{{kScanFailed, kError, kTarget, windowRect}}));
}

TEST_F(RecognizeTest, NoTargetInWindowMode) {
  capture.targetWindow = WindowHandle{};
  EXPECT_FALSE(Recognize());
  EXPECT_TRUE(grab.calls.empty());
  EXPECT_EQ(capture.captureArea, Rect{});
  EXPECT_EQ(capture.targetWindow, WindowHandle{});
  EXPECT_EQ(seen, (std::vector<Seen>{{kCaptureFailed, kError, WindowHandle{}, Rect{}}}));
}

TEST_F(RecognizeTest, NoTargetInDesktopModeHasNothingToGrab) {
  capture.targetWindow = WindowHandle{};
  capture.captureFromDesktop = true;
  EXPECT_FALSE(Recognize());
  EXPECT_TRUE(grab.calls.empty());
  EXPECT_EQ(capture.captureArea, Rect{});
  EXPECT_EQ(capture.targetWindow, WindowHandle{});
  EXPECT_EQ(seen, (std::vector<Seen>{{kCaptureFailed, kError, WindowHandle{}, Rect{}}}));
}

TEST_F(RecognizeTest, TargetGoneIsNullWhileItsMessageIsOpen) {
  AddTarget();
  windows.Destroy(kTarget);
  EXPECT_FALSE(Recognize());
  EXPECT_TRUE(grab.calls.empty());
  EXPECT_EQ(capture.targetWindow, kTarget);
  EXPECT_EQ(capture.captureArea, Rect{});
  EXPECT_EQ(seen, (std::vector<Seen>{{L"キャプチャ対象が離脱!", mb::kOk, WindowHandle{}, Rect{}},
                                     {kCaptureFailed, kError, kTarget, Rect{}}}));
}

TEST_F(RecognizeTest, HiddenTargetKeepsItsHandle) {
  AddTarget();
  windows.SetVisible(kTarget, false);
  EXPECT_FALSE(Recognize());
  EXPECT_TRUE(grab.calls.empty());
  EXPECT_EQ(capture.targetWindow, kTarget);
  EXPECT_EQ(capture.captureArea, kClient);
  EXPECT_EQ(seen, (std::vector<Seen>{{L"キャプチャ対象の幅や高さが0?", mb::kOk, kTarget, kClient},
                                     {kCaptureFailed, kError, kTarget, kClient}}));
}

TEST_F(RecognizeTest, EmptyClientAreaIsNotGrabbed) {
  for (const Size client : {Size{0, 800}, Size{1300, 0}}) {
    SCOPED_TRACE(client.width);
    windows.Destroy(kTarget);
    AddTarget(client);
    seen.clear();
    grab.calls.clear();
    EXPECT_FALSE(Recognize());
    EXPECT_TRUE(grab.calls.empty());
    const Rect area{0, 0, client.width, client.height};
    EXPECT_EQ(capture.captureArea, area);
    EXPECT_EQ(capture.targetWindow, kTarget);
    EXPECT_EQ(seen, (std::vector<Seen>{{kCaptureFailed, kError, kTarget, area}}));
  }
}

TEST_F(RecognizeTest, FailedGrabIsACaptureFailure) {
  AddTarget();
  grab.failPicture = true;
  EXPECT_FALSE(Recognize());
  EXPECT_EQ(grab.calls.size(), 1u);
  EXPECT_EQ(capture.captureArea, kClient);
  EXPECT_EQ(capture.targetWindow, kTarget);
  EXPECT_EQ(seen, (std::vector<Seen>{{kCaptureFailed, kError, kTarget, kClient}}));
}

// Clients narrower than the attempts' reductions: the second and third search
// rectangles have no room (or a negative width) and must fail without reading
// outside the picture.
TEST_F(RecognizeTest, NarrowClientAreas) {
  for (const int width : {11, 12, 20, 27, 28, 40, 164, 165}) {
    SCOPED_TRACE(width);
    windows.Destroy(kTarget);
    AddTarget({width, 50});
    grab.calls.clear();
    seen.clear();
    grab.prepared = Page(width, 50, {{{10, 10, width, 40}, kContent}});
    EXPECT_FALSE(Recognize());
    EXPECT_EQ(capture.captureArea, (Rect{0, 0, width, 50}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, kScanFailed);
  }
}

// ---------------------------------------------------------------------------
// Random pages, searches and windows. Out-of-picture reads are caught by the
// address sanitizer in the sanitizer build; the checks here are what holds in
// every build.

uint8_t RandomByte(std::mt19937& rng) {
  // Mostly 255 and values near it, so that white and bright pixels are common.
  switch (rng() % 4) {
    case 0:
    case 1:
      return 255;
    case 2:
      return static_cast<uint8_t>(250 + rng() % 6);
    default:
      return static_cast<uint8_t>(rng());
  }
}

std::shared_ptr<MemoryPicture> RandomPicture(std::mt19937& rng, int width, int height) {
  const int bpp = rng() % 2 ? 24 : 32;
  auto picture = std::make_shared<MemoryPicture>(width, height, bpp);
  const size_t bytes = static_cast<size_t>(picture->Pitch()) * height;
  if (rng() % 3 == 0) {
    for (size_t i = 0; i < bytes; ++i) picture->MutableBits()[i] = RandomByte(rng);
  } else {
    // Random blocks on white, closer to a real page.
    for (size_t i = 0; i < bytes; ++i) picture->MutableBits()[i] = 255;
    const int blocks = static_cast<int>(rng() % 4);
    for (int b = 0; b < blocks; ++b) {
      const int x0 = static_cast<int>(rng() % (width + 1));
      const int y0 = static_cast<int>(rng() % (height + 1));
      const int x1 = x0 + static_cast<int>(rng() % (width - x0 + 1));
      const int y1 = y0 + static_cast<int>(rng() % (height - y0 + 1));
      const uint8_t value = RandomByte(rng);
      for (int y = y0; y < y1; ++y) {
        uint8_t* row = picture->MutableBits() + static_cast<size_t>(y) * picture->Pitch();
        for (int x = x0 * bpp / 8; x < x1 * bpp / 8; ++x) row[x] = value;
      }
    }
  }
  return picture;
}

int32_t RandomEdge(std::mt19937& rng, int size) {
  switch (rng() % 6) {
    case 0:
      return std::numeric_limits<int32_t>::min() + static_cast<int32_t>(rng() % 3);
    case 1:
      return std::numeric_limits<int32_t>::max() - static_cast<int32_t>(rng() % 3);
    case 2:
      return -static_cast<int32_t>(rng() % 200);
    default:
      return static_cast<int32_t>(rng() % (size + 40)) - 20;
  }
}

bool IsWhiteAt(const Picture& picture, int x, int y) {
  const uint8_t* p = picture.TopDownRow(y) + x * (picture.BitsPerPixel() / 8);
  return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

TEST(AreaRecognitionFuzzTest, ScanStaysInsideThePicture) {
  std::mt19937 rng(20240611);
  int found = 0;
  for (int i = 0; i < 4000; ++i) {
    const int width = 1 + static_cast<int>(rng() % 120);
    const int height = 1 + static_cast<int>(rng() % 90);
    auto picture = RandomPicture(rng, width, height);
    Rect search;
    if (rng() % 4 == 0) {
      search = {0, 0, width, height};
    } else {
      search = {RandomEdge(rng, width), RandomEdge(rng, height), RandomEdge(rng, width),
                RandomEdge(rng, height)};
    }
    Rect r = search;
    if (!ScanContentRect(*picture, r)) continue;
    ++found;
    SCOPED_TRACE(i);
    // The scan begins 10 columns into the part of the search inside the picture.
    const int firstColumn = std::max(search.left, 0) + 10;
    ASSERT_GE(r.left, firstColumn);
    ASSERT_LT(r.left, r.right);
    ASSERT_LE(r.right, std::min(search.right, width));
    ASSERT_GE(r.top, std::max(search.top, 0));
    ASSERT_LE(r.top, r.bottom);
    ASSERT_LT(r.bottom, std::min(search.bottom, height));
    // Both horizontal ends are non-white, with only white before the left one.
    const int top = std::max(search.top, 0);
    const int middle = top + (std::min(search.bottom, height) - 1 - top) / 2;
    EXPECT_FALSE(IsWhiteAt(*picture, r.left, middle));
    EXPECT_FALSE(IsWhiteAt(*picture, r.right - 1, middle));
    for (int x = firstColumn; x < r.left; ++x) EXPECT_TRUE(IsWhiteAt(*picture, x, middle));
  }
  // The mix of pages must give the scan something to find, or the checks above ran idle.
  EXPECT_GT(found, 100);
}

TEST(AreaRecognitionFuzzTest, RecognitionOfRandomWindows) {
  std::mt19937 rng(77);
  constexpr WindowHandle kWindow{0x3003};
  int recognised = 0;
  for (int i = 0; i < 1500; ++i) {
    SCOPED_TRACE(i);
    FakeWindowSystem windows(Size{400, 300});
    FakeScreenGrab grab;
    FakeMessageBox messages;
    const Size client{static_cast<int32_t>(rng() % 200), static_cast<int32_t>(rng() % 60)};
    const Point origin{static_cast<int32_t>(rng() % 500) - 100,
                       static_cast<int32_t>(rng() % 300) - 50};
    windows.AddWindow(kWindow.value, {}, L"Page", L"", 0, 1, client, origin);
    CaptureSettings capture;
    capture.targetWindow = kWindow;
    capture.captureFromDesktop = rng() % 2 == 0;
    const Rect area =
        capture.captureFromDesktop ? windows.WindowRect(kWindow) : windows.ClientRect(kWindow);
    // The fake grab may hand back a picture of another size than asked for.
    const int width =
        rng() % 5 == 0 ? 1 + static_cast<int>(rng() % 200) : std::max(area.Width(), 1);
    const int height =
        rng() % 5 == 0 ? 1 + static_cast<int>(rng() % 60) : std::max(area.Height(), 1);
    auto picture = RandomPicture(rng, width, height);
    grab.prepared = picture;

    const bool result = RecognizeCaptureArea(capture, windows, grab, messages);
    ASSERT_EQ(capture.targetWindow, kWindow);
    ASSERT_GE(messages.Count(), 1u);
    if (!result) {
      EXPECT_EQ(capture.captureArea, area);
      continue;
    }
    ++recognised;
    const Rect& r = capture.captureArea;
    EXPECT_GE(r.left, 10);
    EXPECT_LE(r.right, width);
    EXPECT_GE(r.top, 0);
    EXPECT_LT(r.bottom, height);
  }
  EXPECT_GT(recognised, 10);
}

}  // namespace
}  // namespace lorik
