#pragma once
#include <memory>

#include "core/Geometry.h"
#include "core/WindowHandle.h"
#include "platform/Picture.h"

namespace lorik {

// The ways a window's pixels can be read, in the order a failing window tries them.
enum class GrabMethod {
  kWindowDc,     // BitBlt from the window's DC
  kPrintWindow,  // the window renders its client area, composed content included
  kScreen,       // the screen where the window's client area is shown
};

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
  // Grab by one method; kWindowDc is Grab itself. The desktop window has only kWindowDc.
  virtual std::shared_ptr<const Picture> GrabBy(GrabMethod method, WindowHandle source,
                                                const Rect& area, int bitsPerPixel) = 0;
  // Whether some other window lies over the area (client coordinates of
  // `source`), or part of it is off the screen: then the screen does not show it.
  virtual bool IsAreaCovered(WindowHandle source, const Rect& area) = 0;
  // Whether the window's own thread answers messages now, asked with a short
  // limit. A method that needs that thread (PrintWindow) gives no picture of a
  // window that does not; such a tick is skipped without a word.
  virtual bool Answers(WindowHandle source) { return static_cast<bool>(source); }
};

}  // namespace lorik
