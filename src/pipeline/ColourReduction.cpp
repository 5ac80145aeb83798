#include "pipeline/ColourReduction.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace lorik {

IndexedPicture ReduceTo256Colours(const Picture& picture) {
  const int width = picture.Width();
  const int height = picture.Height();
  const int bytes = picture.BitsPerPixel() / 8;
  IndexedPicture out;
  // Rows that do not hold their pixels cannot be read; a negative pitch is a
  // top-down picture and can.
  const int64_t pitch = picture.Pitch();
  if ((bytes != 3 && bytes != 4) || picture.BitsPerPixel() % 8 != 0 || width <= 0 || height <= 0 ||
      picture.Bits() == nullptr || (pitch < 0 ? -pitch : pitch) < int64_t{width} * bytes)
    return out;
  out.stride = static_cast<int>((int64_t{width} + 3) & ~int64_t{3});
  out.indices.resize(static_cast<std::size_t>(out.stride) * height);

  std::unordered_map<uint32_t, uint8_t> exact;
  exact.reserve(512);
  bool fits = true;
  for (int y = 0; y < height && fits; ++y) {
    const uint8_t* row = picture.TopDownRow(y);
    uint8_t* target = out.indices.data() + static_cast<std::size_t>(y) * out.stride;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = row + x * bytes;
      const uint32_t rgb = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
      const auto [it, added] = exact.try_emplace(rgb, static_cast<uint8_t>(exact.size()));
      if (added) {
        if (exact.size() > 256) {
          fits = false;
          break;
        }
        out.palette.push_back(0xFF000000u | rgb);
      }
      target[x] = it->second;
    }
  }
  if (fits) return out;

  out.palette.clear();
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t r = (i >> 5) * 255 / 7;
    const uint32_t g = ((i >> 2) & 7) * 255 / 7;
    const uint32_t b = (i & 3) * 255 / 3;
    out.palette.push_back(0xFF000000u | (r << 16) | (g << 8) | b);
  }
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = picture.TopDownRow(y);
    uint8_t* target = out.indices.data() + static_cast<std::size_t>(y) * out.stride;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = row + x * bytes;
      const int r = (p[2] * 7 + 127) / 255;
      const int g = (p[1] * 7 + 127) / 255;
      const int b = (p[0] * 3 + 127) / 255;
      target[x] = static_cast<uint8_t>((r << 5) | (g << 2) | b);
    }
  }
  return out;
}

}  // namespace lorik
