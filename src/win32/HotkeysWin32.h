#pragma once
#include <windows.h>

#include "platform/Hotkeys.h"

namespace lorik {

// System-wide hotkeys of one HWND; presses arrive as its WM_HOTKEY. Modifiers
// go to the platform as given, MOD_NOREPEAT included when the caller adds it.
class HotkeysWin32 final : public HotkeyPort {
 public:
  explicit HotkeysWin32(HWND window) : window_(window) {}
  bool Register(int id, unsigned modifiers, unsigned virtualKey) override;
  bool Unregister(int id) override;

 private:
  HWND window_;
};

}  // namespace lorik
