#pragma once
#include <cstdint>

namespace lorik {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Left, top, right, bottom in pixels, as the platform's RECT.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  Size GetSize() const { return {Width(), Height()}; }
  static Rect FromXywh(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace lorik
