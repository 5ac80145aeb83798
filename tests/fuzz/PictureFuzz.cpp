#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <set>
#include <vector>

#include "fuzz/Fuzz.h"
#include "pipeline/ColourReduction.h"
#include "platform/Picture.h"
#include "target/AreaRecognition.h"

namespace lorik {
namespace {

using fuzz::Rng;

// A picture with any size, depth and pitch, whose pixels lie in a heap block of
// exactly the bytes its rows span, so that the sanitizer sees any read outside.
// A negative pitch puts the bottom row last in memory, as a top-down bitmap does.
class OddPicture final : public Picture {
 public:
  // `rows` rows of `rowBytes` each are held, whatever the picture claims.
  OddPicture(int width, int height, int bitsPerPixel, int pitch, size_t rows, size_t rowBytes)
      : width_(width), height_(height), bitsPerPixel_(bitsPerPixel), pitch_(pitch) {
    const size_t step = static_cast<size_t>(std::abs(static_cast<int64_t>(pitch)));
    size_ = rows == 0 ? 0 : (rows - 1) * step + rowBytes;
    block_ = std::make_unique<uint8_t[]>(size_);
    bits_ = block_.get() + (pitch < 0 && rows > 0 ? (rows - 1) * step : 0);
  }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bitsPerPixel_; }
  int Pitch() const override { return pitch_; }
  const uint8_t* Bits() const override { return bits_; }

  uint8_t* Block() { return block_.get(); }
  size_t Size() const { return size_; }
  // Pixel (x, y) from the top, for pictures whose rows hold their pixels.
  uint8_t* At(int x, int y) {
    return const_cast<uint8_t*>(TopDownRow(y)) + static_cast<int64_t>(x) * (bitsPerPixel_ / 8);
  }

 private:
  int width_, height_, bitsPerPixel_, pitch_;
  size_t size_ = 0;
  std::unique_ptr<uint8_t[]> block_;
  uint8_t* bits_ = nullptr;
};

bool Readable(int width, int height, int bits, int pitch) {
  return (bits == 24 || bits == 32) && width > 0 && height > 0 &&
         std::abs(static_cast<int64_t>(pitch)) >= static_cast<int64_t>(width) * (bits / 8);
}

// Small and odd sizes mostly, now and then one that claims far more than it holds.
std::unique_ptr<OddPicture> Make(Rng& rng) {
  static const std::vector<int> depths = {24, 32, 24, 32, 0, 1, 8, 16, 23, 48, -24};
  const int bits = rng.Pick(depths);
  int width = static_cast<int>(rng.Between(-2, 70));
  int height = static_cast<int>(rng.Between(-2, 40));
  if (rng.OneIn(20)) width = std::numeric_limits<int>::max() - static_cast<int>(rng.Between(0, 3));
  if (rng.OneIn(20)) height = std::numeric_limits<int>::max() - static_cast<int>(rng.Between(0, 3));
  const int64_t row = std::max<int64_t>(0, static_cast<int64_t>(width) * std::max(bits, 0) / 8);
  int64_t pitch = 0;
  switch (rng.Between(0, 5)) {
    case 0:
      pitch = row;  // rows packed tight
      break;
    case 1:
      pitch = (row + 3) / 4 * 4;
      break;
    case 2:
      pitch = row + rng.Between(1, 9);  // more than a row
      break;
    case 3:
      pitch = -((row + 3) / 4 * 4);  // top-down
      break;
    case 4:
      pitch = rng.Between(0, std::max<int64_t>(row - 1, 0));  // less than a row
      break;
    default:
      pitch = rng.OneIn(2) ? 0 : -rng.Between(1, 8);
  }
  if (pitch > 1 << 20 || pitch < -(1 << 20)) pitch = rng.Between(0, 16);
  // Only as much memory as the rows really span; a picture that cannot be read
  // holds a few rows of its pitch, and one that can holds all its rows.
  if (Readable(width, height, bits, static_cast<int>(pitch)) && height > 4096)
    height = static_cast<int>(rng.Between(1, 40));
  const bool fits = Readable(width, height, bits, static_cast<int>(pitch));
  const int64_t rows = fits ? height : std::min<int64_t>(std::max(height, 0), 64);
  const int64_t rowBytes = fits ? row : std::abs(pitch);
  auto picture =
      std::make_unique<OddPicture>(width, height, bits, static_cast<int>(pitch),
                                   static_cast<size_t>(rows), static_cast<size_t>(rowBytes));
  // A white page with a block of colours, now and then with a bright frame.
  std::fill_n(picture->Block(), picture->Size(), uint8_t{255});
  if (fits) {
    const int palette = static_cast<int>(rng.Between(1, 400));
    const int left = static_cast<int>(rng.Between(0, width)),
              top = static_cast<int>(rng.Between(0, height));
    const int right = static_cast<int>(rng.Between(left, width));
    const int bottom = static_cast<int>(rng.Between(top, height));
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) {
        const uint32_t colour = static_cast<uint32_t>(rng.Between(0, palette - 1)) * 0x9E3779u;
        uint8_t* p = picture->At(x, y);
        p[0] = static_cast<uint8_t>(colour);
        p[1] = static_cast<uint8_t>(colour >> 8);
        p[2] = static_cast<uint8_t>(colour >> 16);
        if (rng.OneIn(30)) p[rng.Between(0, 2)] = 255;
      }
  } else {
    for (size_t i = 0; i < picture->Size(); ++i)
      picture->Block()[i] = static_cast<uint8_t>(rng.Next());
  }
  return picture;
}

// Any picture, any search rectangle: the scan reads nothing outside the picture
// and finds only a rectangle inside it.
TEST(PictureFuzz, ContentScanStaysInThePicture) {
  uint64_t found = 0;
  const uint64_t done = fuzz::Run("content scan", 100000, 3.0, [&](Rng& rng) {
    auto picture = Make(rng);
    const auto edge = [&](int size) {
      switch (rng.Between(0, 5)) {
        case 0:
          return std::numeric_limits<int32_t>::min() + static_cast<int32_t>(rng.Between(0, 2));
        case 1:
          return std::numeric_limits<int32_t>::max() - static_cast<int32_t>(rng.Between(0, 2));
        default:
          return static_cast<int32_t>(rng.Between(-20, std::min(size, 100) + 20));
      }
    };
    const int w = picture->Width(), h = picture->Height();
    const Rect search = rng.OneIn(3) ? Rect{0, 0, w, h} : Rect{edge(w), edge(h), edge(w), edge(h)};
    Rect r = search;
    if (!ScanContentRect(*picture, r)) return;
    ++found;
    ASSERT_TRUE(Readable(w, h, picture->BitsPerPixel(), picture->Pitch()));
    EXPECT_GE(r.left, std::max(search.left, 0));
    EXPECT_LT(r.left, r.right);
    EXPECT_LE(r.right, std::min(search.right, w));
    EXPECT_GE(r.top, std::max(search.top, 0));
    EXPECT_LE(r.top, r.bottom);
    EXPECT_LT(r.bottom, std::min(search.bottom, h));
  });
  std::printf("content scan: %llu rectangles found\n", static_cast<unsigned long long>(found));
  // About one page in a hundred has a block to find.
  fuzz::ExpectSeen(done, 2000, found, "pages with a block");
}

// Any picture: the reduction reads only the picture's pixels and gives indices
// into its own palette for each of them, exact colours when there are few.
TEST(PictureFuzz, ColourReductionStaysInThePicture) {
  uint64_t exact = 0, levels = 0;
  const uint64_t done = fuzz::Run("colour reduction", 60000, 3.0, [&](Rng& rng) {
    auto picture = Make(rng);
    const int w = picture->Width(), h = picture->Height();
    const IndexedPicture q = ReduceTo256Colours(*picture);
    if (!Readable(w, h, picture->BitsPerPixel(), picture->Pitch())) {
      EXPECT_TRUE(q.indices.empty());
      EXPECT_TRUE(q.palette.empty());
      return;
    }
    ASSERT_GE(q.stride, w);
    ASSERT_EQ(q.stride % 4, 0);
    ASSERT_EQ(q.indices.size(), static_cast<size_t>(q.stride) * h);
    ASSERT_LE(q.palette.size(), 256u);
    std::set<uint32_t> colours;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = picture->At(x, y);
        colours.insert(uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
      }
    const bool few = colours.size() <= 256;
    few ? ++exact : ++levels;
    if (few) {
      EXPECT_EQ(q.palette.size(), colours.size());
    }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t index = q.indices[static_cast<size_t>(y) * q.stride + x];
        ASSERT_LT(index, q.palette.size());
        const uint32_t entry = q.palette[index];
        const uint8_t* p = picture->At(x, y);
        // Eight levels of red and green, four of blue: within half a step of the pixel.
        const int limits[3] = {few ? 0 : 43, few ? 0 : 19, few ? 0 : 19};
        for (int c = 0; c < 3; ++c)
          ASSERT_LE(std::abs(static_cast<int>(entry >> (8 * c) & 0xFF) - p[c]), limits[c])
              << x << "," << y << " channel " << c;
      }
  });
  std::printf("colour reduction: %llu exact, %llu reduced to levels\n",
              static_cast<unsigned long long>(exact), static_cast<unsigned long long>(levels));
  // One readable picture in five has few colours; one in about 250 has more than 256.
  fuzz::ExpectSeen(done, 256, exact, "pictures of few colours");
  fuzz::ExpectSeen(done, 20000, levels, "pictures of many colours");
}

}  // namespace
}  // namespace lorik
