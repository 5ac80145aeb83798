#pragma once
#include <string>

namespace lorik {

// Names of keys in the current keyboard layout, as the layout spells them ("Ctrl",
// "Shift", "F1", "A"). `extended` picks the extended-key variant of the scan code,
// which tells the navigation keys ("End") from the numeric keypad ("Num 1").
class KeyNamePort {
 public:
  virtual ~KeyNamePort() = default;
  // Empty when the layout has no name for the key.
  virtual std::wstring KeyName(unsigned virtualKey, bool extended) = 0;
};

}  // namespace lorik
