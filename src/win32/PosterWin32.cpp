#include "win32/PosterWin32.h"

#include <windows.h>

namespace lorik {

bool PosterWin32::Post(WindowHandle window, uint32_t message) {
  return ::PostMessageW(reinterpret_cast<HWND>(window.value), message, 0, 0) != 0;
}

}  // namespace lorik
