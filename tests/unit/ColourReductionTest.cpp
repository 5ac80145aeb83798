#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "fakes/MemoryPicture.h"
#include "pipeline/ColourReduction.h"

namespace lorik {
namespace {

// Writes the colour 0xRRGGBB at (x, y) counted from the top.
void Put(MemoryPicture& p, int x, int y, uint32_t rgb) {
  uint8_t* px = p.MutableBits() + static_cast<size_t>(p.Height() - 1 - y) * p.Pitch() +
                x * (p.BitsPerPixel() / 8);
  px[0] = rgb & 0xFF;
  px[1] = (rgb >> 8) & 0xFF;
  px[2] = (rgb >> 16) & 0xFF;
}

uint32_t ColourAt(const IndexedPicture& q, int x, int y) {
  return q.palette.at(q.indices.at(static_cast<size_t>(y) * q.stride + x)) & 0xFFFFFF;
}

TEST(ColourReduction, KeepsUpTo256ColoursExactlyAtBothDepths) {
  for (int bits : {24, 32}) {
    // 17 wide: rows need padding in both the picture and the result.
    MemoryPicture p(17, 16, bits);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) Put(p, x, y, 0x010203u * (y * 16 + x));
    for (int y = 0; y < 16; ++y) Put(p, 16, y, 0);
    const IndexedPicture q = ReduceTo256Colours(p);
    EXPECT_EQ(q.stride, 20);
    EXPECT_EQ(q.palette.size(), 256u) << bits;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(ColourAt(q, x, y), (0x010203u * (y * 16 + x)) & 0xFFFFFF) << x << "," << y;
    for (uint32_t entry : q.palette) EXPECT_EQ(entry >> 24, 0xFFu);  // opaque
  }
}

TEST(ColourReduction, MoreColoursGetTheNearestFixedLevel) {
  MemoryPicture p(16, 17, 24);  // 272 colours
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 16; ++x) Put(p, x, y, static_cast<uint32_t>(y * 16 + x) * 0x000101u);
  Put(p, 0, 0, 0xFF0000);
  Put(p, 1, 0, 0x00FF00);
  Put(p, 2, 0, 0x0000FF);
  Put(p, 3, 0, 0xFFFFFF);
  Put(p, 4, 0, 0x000000);
  Put(p, 5, 0, 0x808080);  // between levels: 7*128/255 rounds to 4 -> 145; 3*128/255 -> 2 -> 170
  const IndexedPicture q = ReduceTo256Colours(p);
  ASSERT_EQ(q.palette.size(), 256u);
  EXPECT_EQ(ColourAt(q, 0, 0), 0xFF0000u);
  EXPECT_EQ(ColourAt(q, 1, 0), 0x00FF00u);
  EXPECT_EQ(ColourAt(q, 2, 0), 0x0000FFu);
  EXPECT_EQ(ColourAt(q, 3, 0), 0xFFFFFFu);
  EXPECT_EQ(ColourAt(q, 4, 0), 0x000000u);
  EXPECT_EQ(ColourAt(q, 5, 0), 0x9191AAu);
}

// Rows of any pitch over a block that holds only what the pitch spans.
class PitchedPicture final : public Picture {
 public:
  PitchedPicture(int width, int height, int bits, int pitch)
      : width_(width),
        height_(height),
        bits_(bits),
        pitch_(pitch),
        pixels_(static_cast<size_t>(std::abs(pitch)) * std::max(height, 0), 0x40) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bits_; }
  int Pitch() const override { return pitch_; }
  // A negative pitch: the bottom row comes last in memory.
  const uint8_t* Bits() const override {
    return pixels_.data() + (pitch_ < 0 ? static_cast<size_t>(-pitch_) * (height_ - 1) : 0);
  }

 private:
  int width_, height_, bits_, pitch_;
  std::vector<uint8_t> pixels_;
};

TEST(ColourReduction, PicturesWhoseRowsCannotBeReadGiveNothing) {
  struct Case {
    const char* name;
    int width, height, bits, pitch;
  };
  const Case unreadable[] = {
      {"16 bits", 5, 2, 16, 12},         {"8 bits", 5, 2, 8, 8},
      {"rows too short", 5, 2, 24, 12},  {"no pitch", 5, 2, 32, 0},
      {"top-down, short", 5, 2, 24, -8}, {"no width", 0, 2, 24, 4},
      {"no height", 5, 0, 24, 16},
  };
  for (const Case& c : unreadable) {
    const IndexedPicture q = ReduceTo256Colours(PitchedPicture(c.width, c.height, c.bits, c.pitch));
    EXPECT_TRUE(q.indices.empty()) << c.name;
    EXPECT_TRUE(q.palette.empty()) << c.name;
  }
  // A top-down picture and one with rows longer than its pixels are read.
  for (int pitch : {-16, 21}) {
    const IndexedPicture q = ReduceTo256Colours(PitchedPicture(5, 2, 24, pitch));
    ASSERT_EQ(q.indices.size(), 16u) << pitch;
    EXPECT_EQ(q.palette, std::vector<uint32_t>{0xFF404040u}) << pitch;
  }
}

}  // namespace
}  // namespace lorik
