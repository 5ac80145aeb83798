#pragma once
#include <string_view>

#include "core/WindowHandle.h"
#include "platform/PlatformValues.h"

namespace lorik {

// Modal message boxes; callable from any thread. An empty caption means the
// application's default caption ("Lorik").
class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  virtual int Show(std::wstring_view text, std::wstring_view caption, unsigned style) = 0;
  // The error sound, used where error dialogs are suppressed.
  virtual void Beep() = 0;
  // The window that owns every message, whichever thread shows it and whatever
  // window is active: the main window while it exists, null after.
  virtual void SetOwner(WindowHandle owner) { (void)owner; }
};

}  // namespace lorik
