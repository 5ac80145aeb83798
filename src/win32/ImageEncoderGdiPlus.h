#pragma once
#include "platform/ImageEncoder.h"

namespace lorik {

// Encodes through the GDI+ encoder whose format id matches the type, with its
// default parameters, into memory. GDI+ is loaded from System32 and started by
// the first instance, which throws win32::MissingSystemFunction when GDI+
// lacks a function, and stays up for the rest of the process. Safe to call
// from several threads.
class ImageEncoderGdiPlus final : public ImageEncoderPort {
 public:
  ImageEncoderGdiPlus();
  std::optional<EncodedImage> Encode(const Picture& picture, ImageType type) override;
};

}  // namespace lorik
