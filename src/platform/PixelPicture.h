#pragma once
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/Picture.h"

namespace lorik {

// A picture in plain memory, laid out as a DIB section: bottom-up rows padded
// to 4 bytes. It owns no object of the system's, so a long history of frames
// costs memory only, never one of the process's limited GDI handles.
class PixelPicture final : public Picture {
 public:
  PixelPicture(int width, int height, int bitsPerPixel)
      : width_(width),
        height_(height),
        bitsPerPixel_(bitsPerPixel),
        pitch_((width * bitsPerPixel / 8 + 3) / 4 * 4),
        pixels_(static_cast<size_t>(pitch_) * static_cast<size_t>(height)) {}

  // Nothing for a size that is not positive, a depth other than 24 or 32, or
  // when the memory cannot be had.
  static std::shared_ptr<PixelPicture> Create(int width, int height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return nullptr;
    try {
      return std::make_shared<PixelPicture>(width, height, bitsPerPixel);
    } catch (const std::bad_alloc&) {
      return nullptr;
    } catch (const std::length_error&) {
      return nullptr;
    }
  }

  // A picture whose every byte is `fill`, so that tests can tell pictures apart.
  static std::shared_ptr<PixelPicture> Filled(int width, int height, int bitsPerPixel,
                                              uint8_t fill) {
    auto picture = std::make_shared<PixelPicture>(width, height, bitsPerPixel);
    for (auto& byte : picture->pixels_) byte = fill;
    return picture;
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bitsPerPixel_; }
  int Pitch() const override { return pitch_; }
  const uint8_t* Bits() const override { return pixels_.data(); }
  // For the one who fills the picture (the grab, tests); nobody writes after that.
  uint8_t* MutableBits() { return pixels_.data(); }

 private:
  int width_;
  int height_;
  int bitsPerPixel_;
  int pitch_;
  std::vector<uint8_t> pixels_;
};

}  // namespace lorik
