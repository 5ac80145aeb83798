#include "win32/KeyStateWin32.h"

#include <windows.h>

namespace lorik {

bool KeyStateWin32::IsDown(unsigned virtualKey) {
  // Only the high bit: the low "pressed since the last call" bit is shared with
  // every other caller and is set again by auto-repeat, so it says nothing.
  return (::GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

}  // namespace lorik
