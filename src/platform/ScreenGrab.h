#pragma once
#include <memory>

#include "core/Geometry.h"
#include "core/WindowHandle.h"
#include "platform/Picture.h"

namespace lorik {

// Copies a rectangle of a window's client area, or of the screen when the
// source is the desktop window, into a new picture.
class ScreenGrabPort {
 public:
  virtual ~ScreenGrabPort() = default;
  // Whether the handle still names a window (IsWindow).
  virtual bool IsWindow(WindowHandle source) = 0;
  // Whether the window is shown (IsWindowVisible).
  virtual bool IsWindowVisible(WindowHandle source) = 0;
  // Nothing when the source cannot be read or the picture cannot be created.
  virtual std::shared_ptr<const Picture> Grab(WindowHandle source, const Rect& area,
                                              int bitsPerPixel) = 0;
};

}  // namespace lorik
