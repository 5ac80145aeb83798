#pragma once
#include "platform/ScreenGrab.h"

namespace lorik {

// GetDC of the source (its client area; the whole screen for the desktop
// window) and one BitBlt into a new DibPicture; PrintWindow and the screen as
// the other methods. A window is read with the thread at its DPI awareness.
class ScreenGrabWin32 final : public ScreenGrabPort {
 public:
  bool IsWindow(WindowHandle source) override;
  bool IsWindowVisible(WindowHandle source) override;
  std::shared_ptr<const Picture> Grab(WindowHandle source, const Rect& area,
                                      int bitsPerPixel) override;
  std::shared_ptr<const Picture> GrabBy(GrabMethod method, WindowHandle source, const Rect& area,
                                        int bitsPerPixel) override;
  bool IsAreaCovered(WindowHandle source, const Rect& area) override;
};

}  // namespace lorik
