#include "controls/StaticBitmap.h"

#include <algorithm>
#include <utility>

namespace lorik {

void CStaticBitmap::Attach(ThumbnailWindow* window) {
  std::lock_guard lock(imageLock);
  window_ = window;
}

void CStaticBitmap::SetPicture(std::shared_ptr<const Picture> picture) {
  std::shared_ptr<const Picture> old;
  std::lock_guard lock(imageLock);
  // The old picture may be the last share of a frame; it goes after the unlock.
  old = std::exchange(thumbnailImage, std::move(picture));
  if (window_) window_->Invalidate();
}

std::shared_ptr<const Picture> CStaticBitmap::GetPicture() const {
  std::lock_guard lock(imageLock);
  return thumbnailImage;
}

void CStaticBitmap::OnPaint(ThumbnailPainter& painter) {
  std::lock_guard lock(imageLock);
  if (!thumbnailImage) {
    painter.PaintNothing();
    return;
  }
  const Size image{thumbnailImage->Width(), thumbnailImage->Height()};
  const Rect destination = DrawImage(painter.ClientSize(), image);
  painter.PaintPicture(*thumbnailImage, destination);
}

Rect CStaticBitmap::DrawImage(Size client, Size image) {
  if (image.width <= 0 || image.height <= 0) return {};
  const int cw = client.width;
  const int ch = client.height;
  const int iw = image.width;
  const int ih = image.height;
  // Single precision, as the picture has always been placed; it decides which
  // edge row survives the truncation.
  const float s = std::min(static_cast<float>(ch) / static_cast<float>(ih),
                           static_cast<float>(cw) / static_cast<float>(iw));
  const int x = static_cast<int>(static_cast<float>(cw) - static_cast<float>(iw) * s);
  const int y = static_cast<int>(static_cast<float>(ch) - static_cast<float>(ih) * s);
  const int w = static_cast<int>(static_cast<float>(iw) * s);
  const int h = static_cast<int>(static_cast<float>(ih) * s);
  return Rect::FromXywh(x, y, w, h);
}

}  // namespace lorik
