#pragma once

namespace lorik {

// System-wide hotkeys registered for one window; presses arrive as WM_HOTKEY.
class HotkeyPort {
 public:
  virtual ~HotkeyPort() = default;
  virtual bool Register(int id, unsigned modifiers, unsigned virtualKey) = 0;
  virtual bool Unregister(int id) = 0;
};

}  // namespace lorik
