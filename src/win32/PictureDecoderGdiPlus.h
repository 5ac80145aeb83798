#pragma once
#include "platform/PictureDecoder.h"

namespace lorik {

// Decodes with GDI+, loaded from System32 like the encoder's and started once
// for the process. The file is read into memory first, so it is never held
// open while it is decoded (the review may send it to the Recycle Bin
// meanwhile). Safe to call from several threads; throws
// win32::MissingSystemFunction from the first construction when GDI+ lacks a
// function.
class PictureDecoderGdiPlus final : public PictureDecoderPort {
 public:
  PictureDecoderGdiPlus();
  std::shared_ptr<const Picture> DecodeToFit(const std::wstring& path, Size box) override;
};

}  // namespace lorik
