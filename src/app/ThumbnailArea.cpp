#include "app/ThumbnailArea.h"

namespace lorik {

ThumbnailArea LayOutThumbnailArea(bool show, const ThumbnailGeometry& now) {
  ThumbnailArea area{now.window, now.minimumWindow, now.layoutMinimum, now.preview};
  const int32_t h = now.client.Height();
  if (!show) {
    area.preview = {now.thumbnail.Width(), now.thumbnail.Height()};
    area.minimumWindow.bottom -= now.thumbnailTemplate.Height();
    area.layoutMinimum.height = h - area.preview.height;
    area.window = Rect::FromXywh(now.window.left, now.window.top, area.minimumWindow.Width(),
                                 area.minimumWindow.Height());
  } else {
    area.minimumWindow.bottom += now.thumbnailTemplate.Height();
    area.layoutMinimum.height = h + now.preview.height;
    // The preview size is a client size; the window is larger by its frame,
    // or each show would leave it short of its minimum and the thumbnail
    // squeezed.
    const int32_t frameWidth = now.window.Width() - now.client.Width();
    const int32_t frameHeight = now.window.Height() - h;
    area.window = Rect::FromXywh(now.window.left, now.window.top, now.preview.width + frameWidth,
                                 h + now.preview.height + frameHeight);
  }
  return area;
}

}  // namespace lorik
