#pragma once
#include <set>

#include "platform/KeyState.h"

namespace lorik {

// A keyboard in memory: the test presses and releases keys by virtual-key code.
class FakeKeyState final : public KeyStatePort {
 public:
  bool IsDown(unsigned virtualKey) override {
    ++queries;
    return down.contains(virtualKey);
  }

  void Press(unsigned virtualKey) { down.insert(virtualKey); }
  void Release(unsigned virtualKey) { down.erase(virtualKey); }

  std::set<unsigned> down;  // keys held now
  int queries = 0;          // calls of IsDown
};

}  // namespace lorik
