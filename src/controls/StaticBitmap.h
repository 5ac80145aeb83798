#pragma once
#include <memory>
#include <mutex>

#include "core/Geometry.h"
#include "platform/Picture.h"
#include "platform/ThumbnailSink.h"

namespace lorik {

// The window of the thumbnail, as far as the picture's owner needs it.
class ThumbnailWindow {
 public:
  virtual ~ThumbnailWindow() = default;
  // Marks the whole control for a later repaint without erasing; callable from
  // any thread.
  virtual void Invalidate() = 0;
};

// One paint of the thumbnail, on the user-interface thread.
class ThumbnailPainter {
 public:
  virtual ~ThumbnailPainter() = default;
  virtual Size ClientSize() = 0;
  // No picture: validate the update region and draw nothing.
  virtual void PaintNothing() = 0;
  // Draws `picture` scaled into `destination` on a black off-screen image of
  // the client's size and copies that image to the window in one go.
  virtual void PaintPicture(const Picture& picture, const Rect& destination) = 0;
};

// The picture at the top of the main window: the last picture the save
// worker wrote, scaled down to fit. The save worker sets it from its thread.
class CStaticBitmap final : public ThumbnailSink {
 public:
  CStaticBitmap() = default;
  CStaticBitmap(const CStaticBitmap&) = delete;
  CStaticBitmap& operator=(const CStaticBitmap&) = delete;

  // The Win32 side attaches the real window and detaches it (null) when the
  // window goes. Waits for a SetPicture in progress, so none reaches a
  // window that is gone.
  void Attach(ThumbnailWindow* window);

  // From the save worker: shares `picture` (no pixels are copied) and asks
  // for a repaint.
  void SetPicture(std::shared_ptr<const Picture> picture) override;
  std::shared_ptr<const Picture> GetPicture() const;

  // WM_PAINT. Holds imageLock for the whole paint, so a picture is never
  // released or replaced while it is drawn.
  void OnPaint(ThumbnailPainter& painter);

  // Where a picture of `image` size is drawn in a client of `client` size:
  // scaled to fit with its aspect ratio kept, against the right or bottom
  // edge. Empty for a picture with no pixels.
  static Rect DrawImage(Size client, Size image);

 private:
  mutable std::mutex imageLock;
  std::shared_ptr<const Picture> thumbnailImage;  // guarded by imageLock
  ThumbnailWindow* window_ = nullptr;             // guarded by imageLock
};

}  // namespace lorik
