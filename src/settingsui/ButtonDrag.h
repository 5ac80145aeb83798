#pragma once
#include <cstdint>

#include "core/Geometry.h"
#include "core/WindowHandle.h"
#include "ui/DialogView.h"

namespace lorik {

class WindowSystemPort;
class TracePort;
namespace ui {
class Dialog;
}

// The window picker: a push button that the user presses and releases over
// the window to capture. While the mouse button is down the settings dialog
// and the main window are hidden and the drag cursor shows; on release the
// button finds the deepest window under the pointer and tells `notifyTarget`
// with NM_RELEASEDCAPTURE, during which it reads `droppedWindow` and `dropPoint`.
class CButtonDrag final : public ui::ControlHandler {
 public:
  CButtonDrag(WindowSystemPort& windows, TracePort& trace) : windows_(windows), trace_(trace) {}

  // Takes over control `id` of the page window `view`, for the life of the control.
  bool Attach(ui::DialogView& view, int id);

  bool OnControlMessage(WindowHandle button, const ui::Message& message, intptr_t& result) override;
  void OnLButtonDown(WindowHandle button);
  void OnLButtonUp(WindowHandle button, Point point);
  // The page's WM_TIMER, for the release watch.
  void OnTimer(uintptr_t timerId);

  // While dragging, polls the mouse button: when the platform ends the capture
  // (Wine does once the dialog is hidden and another program has the
  // foreground), the release goes to another window, and the drag ends here.
  static constexpr unsigned kReleaseWatchTimer = 0x4C44;
  static constexpr unsigned kReleaseWatchMs = 50;

  intptr_t previousCursor = 0;
  // Receives the drop notification and the focus after the drop.
  ui::Dialog* notifyTarget = nullptr;
  // In client coordinates of `droppedWindow`; the screen point when no window was found.
  Point dropPoint;
  WindowHandle droppedWindow;

 private:
  WindowSystemPort& windows_;
  TracePort& trace_;
  ui::DialogView* view_ = nullptr;
  int id_ = 0;
  WindowHandle dragging_;  // the button while its drag runs
};

}  // namespace lorik
