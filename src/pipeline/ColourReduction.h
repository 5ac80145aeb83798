#pragma once
#include <cstdint>
#include <vector>

#include "platform/Picture.h"

namespace lorik {

// A picture reduced to eight bits per pixel, rows top-down, each padded to 4
// bytes; the palette holds 0xAARRGGBB values, opaque.
struct IndexedPicture {
  int stride = 0;
  std::vector<uint8_t> indices;
  std::vector<uint32_t> palette;
};

// GIF holds at most 256 colours, and the platform's GIF encoder must not be
// handed true-colour rows (Wine's writes a file without image data and
// reports success). A picture with no more than 256 colours keeps them
// exactly; any other gets the nearest of 8 red, 8 green and 4 blue levels.
// A picture that is not 24 or 32 bits per pixel, is empty, or has rows shorter
// than its width gives an empty result (no indices, no palette).
IndexedPicture ReduceTo256Colours(const Picture& picture);

}  // namespace lorik
