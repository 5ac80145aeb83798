#include "win32/KeyNamesWin32.h"

#include <windows.h>

namespace lorik {

// GetKeyNameTextW takes a key message's lParam: the scan code in bits 16 to 23 and
// the extended-key flag in bit 24.
std::wstring KeyNamesWin32::KeyName(unsigned virtualKey, bool extended) {
  const UINT scanCode = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  LONG lParam = static_cast<LONG>(scanCode << 16);
  if (extended) lParam |= 1L << 24;
  wchar_t name[64] = {};
  const int length = ::GetKeyNameTextW(lParam, name, static_cast<int>(std::size(name)));
  return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace lorik
