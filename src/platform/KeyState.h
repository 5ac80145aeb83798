#pragma once

namespace lorik {

// The physical state of the keyboard, whichever window has the focus.
class KeyStatePort {
 public:
  virtual ~KeyStatePort() = default;
  // True while the key with this virtual-key code is held down.
  virtual bool IsDown(unsigned virtualKey) = 0;
};

}  // namespace lorik
