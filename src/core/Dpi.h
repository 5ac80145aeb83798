#pragma once
#include <cstdint>

#include "core/Geometry.h"

namespace lorik {

// The DPI at which the platform's pixels are its logical units (100 %).
inline constexpr int kBaseDpi = 96;

// A length in pixels at `from` DPI, at `to` DPI, rounded to the nearest pixel
// (halves away from zero) as the platform's MulDiv does.
inline constexpr int32_t ScaleForDpi(int32_t pixels, int to, int from = kBaseDpi) {
  const int64_t product = int64_t{pixels} * to;
  const int64_t half = from / 2;
  return static_cast<int32_t>(product >= 0 ? (product + half) / from : (product - half) / from);
}

inline constexpr Point ScaleForDpi(Point p, int to, int from) {
  return {ScaleForDpi(p.x, to, from), ScaleForDpi(p.y, to, from)};
}

inline constexpr Size ScaleForDpi(Size s, int to, int from) {
  return {ScaleForDpi(s.width, to, from), ScaleForDpi(s.height, to, from)};
}

inline constexpr Rect ScaleForDpi(const Rect& r, int to, int from) {
  return {ScaleForDpi(r.left, to, from), ScaleForDpi(r.top, to, from),
          ScaleForDpi(r.right, to, from), ScaleForDpi(r.bottom, to, from)};
}

}  // namespace lorik
