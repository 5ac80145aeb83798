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

  // Wrapping like the platform's 32-bit arithmetic, so extreme rectangles
  // read from a file never overflow.
  int32_t Width() const { return Span(left, right); }
  int32_t Height() const { return Span(top, bottom); }
  Size GetSize() const { return {Width(), Height()}; }
  static Rect FromXywh(int32_t x, int32_t y, int32_t w, int32_t h) {
    return {x, y, Span(-x, w), Span(-y, h)};
  }

 private:
  static int32_t Span(int32_t from, int32_t to) {
    return static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
  }

 public:
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace lorik
