#pragma once
#include "platform/KeyState.h"

namespace lorik {

// GetAsyncKeyState: the key's state at this moment, not the message queue's.
class KeyStateWin32 final : public KeyStatePort {
 public:
  bool IsDown(unsigned virtualKey) override;
};

}  // namespace lorik
