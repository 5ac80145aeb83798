#include <gtest/gtest.h>

#include <ostream>

#include "app/ThumbnailArea.h"

namespace lorik {

void PrintTo(const ThumbnailArea& a, std::ostream* os) {
  auto rect = [os](const Rect& r) {
    *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
  };
  *os << "window ";
  rect(a.window);
  *os << " minimum window ";
  rect(a.minimumWindow);
  *os << " layout minimum " << a.layoutMinimum.width << "x" << a.layoutMinimum.height << " preview "
      << a.preview.width << "x" << a.preview.height;
}

namespace {

// The main window of the template: a 120 x 130 window around a 104 x 98 client
// area whose top 104 x 78 is the thumbnail.
constexpr Rect kWindow{100, 120, 220, 250};
constexpr Rect kClient{0, 0, 104, 98};
constexpr Rect kThumb{0, 0, 104, 78};
// The same window with the thumbnail hidden.
constexpr Rect kHiddenWindow{100, 120, 220, 172};
constexpr Rect kHiddenClient{0, 0, 104, 20};
// A window the user made larger, in either state.
constexpr Rect kLargeWindow{300, 40, 500, 340};
constexpr Rect kLargeHidden{300, 40, 420, 92};

TEST(ThumbnailArea, HidingAndShowingKeepThePlaceAndTradeTheThumbnailsHeight) {
  struct Case {
    const char* name;
    bool show;
    ThumbnailGeometry now;
    ThumbnailArea expected;
  };
  const Case cases[] = {
      {"hide as created",
       false,
       {kWindow, kClient, kThumb, kThumb, kWindow, {104, 98}, {0, 0}},
       {kHiddenWindow, kHiddenWindow, {104, 20}, {104, 78}}},
      {"show again",
       true,
       {kHiddenWindow, kHiddenClient, kThumb, kThumb, kHiddenWindow, {104, 20}, {104, 78}},
       {kWindow, kWindow, {104, 98}, {104, 78}}},
      // The thumbnail's size is what comes back, on the window's frame, while
      // the minimum follows the template.
      {"hide enlarged",
       false,
       {kLargeWindow, {0, 0, 184, 268}, {0, 0, 184, 248}, kThumb, kWindow, {104, 98}, {104, 78}},
       {kLargeHidden, kHiddenWindow, {104, 20}, {184, 248}}},
      {"show enlarged",
       true,
       {kLargeHidden, kHiddenClient, kThumb, kThumb, kHiddenWindow, {104, 20}, {184, 248}},
       {kLargeWindow, kWindow, {104, 268}, {184, 248}}},
      // The layout's minimum width is not the area's business.
      {"hide keeps the minimum width",
       false,
       {kWindow, kClient, kThumb, kThumb, kWindow, {90, 98}, {0, 0}},
       {kHiddenWindow, kHiddenWindow, {90, 20}, {104, 78}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LayOutThumbnailArea(c.show, c.now), c.expected);
  }
}

TEST(ThumbnailArea, ATurnOfHideAndShowEndsWhereItStarted) {
  ThumbnailGeometry now{
      {40, 60, 240, 330}, {0, 0, 184, 238}, {0, 0, 184, 218}, kThumb, kWindow, {104, 98}, {0, 0}};
  const ThumbnailArea hidden = LayOutThumbnailArea(false, now);
  // The hidden window's client area: its new size less the same frame.
  const ThumbnailGeometry back{
      hidden.window,
      Rect::FromXywh(0, 0, hidden.window.Width() - 16, hidden.window.Height() - 32),
      {},
      kThumb,
      hidden.minimumWindow,
      hidden.layoutMinimum,
      hidden.preview};
  const ThumbnailArea shown = LayOutThumbnailArea(true, back);
  EXPECT_EQ(shown.window, now.window);
  EXPECT_EQ(shown.minimumWindow, now.minimumWindow);
  EXPECT_EQ(shown.layoutMinimum.height, back.client.Height() + 218);
}

}  // namespace
}  // namespace lorik
