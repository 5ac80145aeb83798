#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/ImageType.h"
#include "platform/Picture.h"

namespace lorik {

// An encoded image file held in memory.
struct EncodedImage {
  std::vector<uint8_t> bytes;
};

// Encodes pictures with the platform's codecs; called from several worker
// threads at once.
class ImageEncoderPort {
 public:
  virtual ~ImageEncoderPort() = default;
  // Nothing when the type cannot be encoded or the codec fails.
  virtual std::optional<EncodedImage> Encode(const Picture& picture, ImageType type) = 0;
};

}  // namespace lorik
