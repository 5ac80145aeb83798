#pragma once
#include "core/WindowHandle.h"

namespace lorik {

class CInfoProgressCtrl;
class CStaticBitmap;

// Puts the custom-drawn controls onto the real controls of a dialog window,
// by id. Once bound, the control's window drives the object until the window
// is destroyed; the object must outlive the window.
class ControlBinder {
 public:
  virtual ~ControlBinder() = default;
  // False when the dialog has no such control or it cannot be taken over.
  virtual bool Bind(WindowHandle dialog, int id, CInfoProgressCtrl& control) = 0;
  virtual bool Bind(WindowHandle dialog, int id, CStaticBitmap& control) = 0;
};

}  // namespace lorik
