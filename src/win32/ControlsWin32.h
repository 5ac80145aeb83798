#pragma once
#include <windows.h>

#include "controls/ControlBinder.h"
#include "controls/InfoProgressCtrl.h"
#include "controls/StaticBitmap.h"

namespace lorik::win32 {

// Subclasses control `id` of `dialog` (a progress bar) so that its painting,
// WM_SETTEXT, clicks and PBM_ messages go through `control`. Undone by itself
// when the window is destroyed. False when there is no such control or it
// cannot be subclassed. Binding a control again replaces the earlier binding.
bool AttachInfoProgress(HWND dialog, int id, CInfoProgressCtrl& control);

// Subclasses control `id` of `dialog` (a static) so that it paints `control`'s
// picture, and lets `control` ask the window for repaints from any thread.
bool AttachStaticBitmap(HWND dialog, int id, CStaticBitmap& control);

// Resolves a colour of the core, system colour indexes included.
COLORREF ResolveColour(ColourRef colour);

class ControlBinderWin32 final : public ControlBinder {
 public:
  bool Bind(WindowHandle dialog, int id, CInfoProgressCtrl& control) override {
    return AttachInfoProgress(reinterpret_cast<HWND>(dialog.value), id, control);
  }
  bool Bind(WindowHandle dialog, int id, CStaticBitmap& control) override {
    return AttachStaticBitmap(reinterpret_cast<HWND>(dialog.value), id, control);
  }
};

}  // namespace lorik::win32
