#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Picture.h"

namespace lorik {

// A picture in memory, laid out as a DIB section: bottom-up rows padded to 4 bytes.
class MemoryPicture final : public Picture {
 public:
  MemoryPicture(int width, int height, int bitsPerPixel)
      : width_(width),
        height_(height),
        bitsPerPixel_(bitsPerPixel),
        pitch_((width * bitsPerPixel / 8 + 3) / 4 * 4),
        pixels_(static_cast<size_t>(pitch_) * height) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bitsPerPixel_; }
  int Pitch() const override { return pitch_; }
  const uint8_t* Bits() const override { return pixels_.data(); }
  uint8_t* MutableBits() { return pixels_.data(); }

  // A picture whose every byte is `fill`, so that tests can tell pictures apart.
  static std::shared_ptr<MemoryPicture> Filled(int width, int height, int bitsPerPixel,
                                               uint8_t fill) {
    auto picture = std::make_shared<MemoryPicture>(width, height, bitsPerPixel);
    for (auto& byte : picture->pixels_) byte = fill;
    return picture;
  }

 private:
  int width_;
  int height_;
  int bitsPerPixel_;
  int pitch_;
  std::vector<uint8_t> pixels_;
};

}  // namespace lorik
