#pragma once
#include <memory>
#include <string>

#include "core/Geometry.h"
#include "platform/Picture.h"

namespace lorik {

// Decodes image files for showing them. Called from a worker thread.
class PictureDecoderPort {
 public:
  virtual ~PictureDecoderPort() = default;
  // The picture in `path`, scaled to fit `box` with its aspect kept and
  // centred on a neutral background: exactly box.width by box.height, 24 bits.
  // Null when the file is missing or cannot be decoded.
  virtual std::shared_ptr<const Picture> DecodeToFit(const std::wstring& path, Size box) = 0;
};

}  // namespace lorik
