#include "win32/HotkeysWin32.h"

namespace lorik {

bool HotkeysWin32::Register(int id, unsigned modifiers, unsigned virtualKey) {
  return ::RegisterHotKey(window_, id, modifiers, virtualKey) != FALSE;
}

bool HotkeysWin32::Unregister(int id) {
  return ::UnregisterHotKey(window_, id) != FALSE;
}

}  // namespace lorik
