#pragma once
#include <array>
#include <cstdint>

#include "platform/Picture.h"

namespace lorik {

// A fixed grid of pixels of a grabbed picture, enough to tell a blank or a
// frozen grab from a live one without reading the whole picture.
struct GrabGrid {
  static constexpr int kSide = 16;
  std::array<uint32_t, kSide * kSide> samples{};

  // Every sample 0x00000000: what a window-DC grab of a window drawn by the
  // compositor gives.
  bool IsBlank() const;
  friend bool operator==(const GrabGrid&, const GrabGrid&) = default;
};

// Samples the centres of a kSide x kSide division of the picture. The picture
// is the grabbed client rectangle, so no frame is sampled.
GrabGrid SampleGrid(const Picture& picture);

}  // namespace lorik
