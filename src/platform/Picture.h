#pragma once
#include <cstdint>

namespace lorik {

// Grabbed pixels, never modified after the grab and shared by every frame copy
// and the thumbnail. Rows are stored bottom-up, each padded to 4 bytes, 24 or
// 32 bits per pixel in blue-green-red(-unused) order, as a DIB section holds them.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int BitsPerPixel() const = 0;
  // Bytes from one row to the next.
  virtual int Pitch() const = 0;
  // The first byte of the bottom row.
  virtual const uint8_t* Bits() const = 0;

  // Row `y` counted from the top.
  const uint8_t* TopDownRow(int y) const {
    return Bits() + static_cast<int64_t>(Height() - 1 - y) * Pitch();
  }
};

}  // namespace lorik
