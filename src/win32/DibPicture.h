#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/Picture.h"

namespace lorik {

// A picture held by a bottom-up DIB section without alpha. It owns the bitmap;
// painting code selects Bitmap() into a memory DC and blits from it.
class DibPicture final : public Picture {
 public:
  // Nothing for a size that is not positive, a depth other than 24 or 32, or
  // when the platform cannot create the bitmap.
  static std::shared_ptr<DibPicture> Create(int width, int height, int bitsPerPixel);

  ~DibPicture() override;
  DibPicture(const DibPicture&) = delete;
  DibPicture& operator=(const DibPicture&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bitsPerPixel_; }
  int Pitch() const override { return pitch_; }
  const uint8_t* Bits() const override { return bits_; }

  // For the one who fills the picture (the grab, tests); nobody writes after that.
  uint8_t* MutableBits() { return bits_; }
  HBITMAP Bitmap() const { return bitmap_; }

 private:
  DibPicture(HBITMAP bitmap, uint8_t* bits, int width, int height, int bitsPerPixel, int pitch);

  HBITMAP bitmap_;
  uint8_t* bits_;
  int width_;
  int height_;
  int bitsPerPixel_;
  int pitch_;
};

}  // namespace lorik
