#include "grab/GrabGrid.h"

#include <algorithm>

namespace lorik {

bool GrabGrid::IsBlank() const {
  return std::all_of(samples.begin(), samples.end(), [](uint32_t s) { return s == 0; });
}

GrabGrid SampleGrid(const Picture& picture) {
  GrabGrid grid;
  const int width = picture.Width();
  const int height = picture.Height();
  const int bytes = picture.BitsPerPixel() / 8;
  if (width <= 0 || height <= 0 || bytes < 3 || picture.Bits() == nullptr) return grid;
  size_t n = 0;
  for (int j = 0; j < GrabGrid::kSide; ++j) {
    const int y =
        static_cast<int>((2 * j + 1) * static_cast<int64_t>(height) / (2 * GrabGrid::kSide));
    const uint8_t* row = picture.TopDownRow(y);
    for (int i = 0; i < GrabGrid::kSide; ++i) {
      const int x =
          static_cast<int>((2 * i + 1) * static_cast<int64_t>(width) / (2 * GrabGrid::kSide));
      const uint8_t* p = row + static_cast<int64_t>(x) * bytes;
      uint32_t value = p[0] | p[1] << 8 | p[2] << 16;
      if (bytes == 4) value |= static_cast<uint32_t>(p[3]) << 24;
      grid.samples[n++] = value;
    }
  }
  return grid;
}

}  // namespace lorik
