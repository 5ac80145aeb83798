// Lengths at another DPI, and the main button's pictures chosen by it.
#include <gtest/gtest.h>

#include "app/MainButton.h"
#include "core/Dpi.h"
#include "resource.h"

namespace lorik {
namespace {

TEST(ScaleForDpi, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
  struct Case {
    int32_t pixels;
    int to;
    int from;
    int32_t scaled;
  };
  const Case cases[] = {
      {16, 144, 96, 24},
      {16, 120, 96, 20},
      {13, 144, 96, 20},    // 19.5 up
      {-13, 144, 96, -20},  // the same away from zero
      {-11, 144, 96, -17},
      {25, 96, 144, 17},  // 16.67 down and back
      {1, 120, 96, 1},
      {0, 192, 96, 0},
      // No overflow on the way: the product is taken in 64 bits.
      {1000000000, 192, 240, 800000000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleForDpi(c.pixels, c.to, c.from), c.scaled)
        << c.pixels << " from " << c.from << " to " << c.to;
  }
  EXPECT_EQ(ScaleForDpi(Rect{10, 20, 110, 70}, 144, 96), (Rect{15, 30, 165, 105}));
  EXPECT_EQ(ScaleForDpi(Size{105, 13}, 96, 144), (Size{70, 9}));
}

TEST(MainButtonPicture, EachScaleGetsThePicturesDrawnForItOrForTheLargestScaleBelow) {
  struct Case {
    int dpi;
    int singleNormal;
    int multiPressed;
    int folderNormal;
  };
  const Case cases[] = {
      {72, IDB_SINGLE_NORMAL, IDB_MULTI_PRESSED, IDB_FOLDER_NORMAL},
      {96, IDB_SINGLE_NORMAL, IDB_MULTI_PRESSED, IDB_FOLDER_NORMAL},
      {119, IDB_SINGLE_NORMAL, IDB_MULTI_PRESSED, IDB_FOLDER_NORMAL},
      {120, IDB_SINGLE_NORMAL_120, IDB_MULTI_PRESSED_120, IDB_FOLDER_NORMAL_120},
      {144, IDB_SINGLE_NORMAL_144, IDB_MULTI_PRESSED_144, IDB_FOLDER_NORMAL_144},
      {168, IDB_SINGLE_NORMAL_144, IDB_MULTI_PRESSED_144, IDB_FOLDER_NORMAL_144},  // 175 %
      {192, IDB_SINGLE_NORMAL_192, IDB_MULTI_PRESSED_192, IDB_FOLDER_NORMAL_192},
      {288, IDB_SINGLE_NORMAL_192, IDB_MULTI_PRESSED_192, IDB_FOLDER_NORMAL_192},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(MainButtonPicture(ButtonSet::SingleShot, false, c.dpi), c.singleNormal);
    EXPECT_EQ(MainButtonPicture(ButtonSet::MultiShot, true, c.dpi), c.multiPressed);
    EXPECT_EQ(MainButtonPicture(ButtonSet::Folder, false, c.dpi), c.folderNormal);
  }
}

}  // namespace
}  // namespace lorik
