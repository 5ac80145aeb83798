#pragma once
#include "platform/ScreenGrab.h"

namespace lorik {

// GetDC of the source (its client area; the whole screen for the desktop
// window) and one BitBlt into a reused DIB section whose pixels are copied
// into a new plain-memory picture; PrintWindow (only of a window that answers)
// and the screen as the other methods. A window is read with the thread at
// its DPI awareness. The area counts as covered by what a user sees over it.
class ScreenGrabWin32 final : public ScreenGrabPort {
 public:
  // `skipOwnWindows`: this process's windows (the main window, its messages)
  // never cover the target; tests that cover a window with their own turn it off.
  explicit ScreenGrabWin32(bool skipOwnWindows = true) : skipOwnWindows_(skipOwnWindows) {}

  bool IsWindow(WindowHandle source) override;
  bool IsWindowVisible(WindowHandle source) override;
  std::shared_ptr<const Picture> Grab(WindowHandle source, const Rect& area,
                                      int bitsPerPixel) override;
  std::shared_ptr<const Picture> GrabBy(GrabMethod method, WindowHandle source, const Rect& area,
                                        int bitsPerPixel) override;
  bool IsAreaCovered(WindowHandle source, const Rect& area) override;
  bool Answers(WindowHandle source) override;

 private:
  bool skipOwnWindows_;
};

}  // namespace lorik
