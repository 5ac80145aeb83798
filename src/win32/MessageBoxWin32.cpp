#include "win32/MessageBoxWin32.h"

#include <windows.h>

#include <string>

namespace lorik {

int MessageBoxWin32::Show(std::wstring_view text, std::wstring_view caption, unsigned style) {
  const std::wstring t(text);
  const std::wstring c = caption.empty() ? std::wstring(L"Lorik") : std::wstring(caption);
  // Owned by the calling thread's active window, so the main window (or the
  // settings dialog) is disabled while the message is open. Worker threads have
  // no windows and get an unowned box.
  HWND owner = GetActiveWindow();
  return MessageBoxW(owner, t.c_str(), c.c_str(), style);
}

void MessageBoxWin32::Beep() {
  MessageBeep(MB_ICONHAND);
}

}  // namespace lorik
