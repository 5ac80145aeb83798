#include "win32/MessageBoxWin32.h"

#include <windows.h>

#include <string>

namespace lorik {

int MessageBoxWin32::Show(std::wstring_view text, std::wstring_view caption, unsigned style) {
  const std::wstring t(text);
  const std::wstring c = caption.empty() ? std::wstring(L"Lorik") : std::wstring(caption);
  HWND owner = GetActiveWindow();
  HWND main = reinterpret_cast<HWND>(owner_.load());
  if (main != nullptr && !IsWindow(main)) main = nullptr;
  // The calling thread's active window only when it belongs to this program's
  // main window (the window itself, or a dialog it owns); otherwise the main one.
  if (owner == nullptr ||
      (main != nullptr && owner != main && GetAncestor(owner, GA_ROOTOWNER) != main))
    owner = main;
  return MessageBoxW(owner, t.c_str(), c.c_str(), style);
}

void MessageBoxWin32::Beep() {
  MessageBeep(MB_ICONHAND);
}

}  // namespace lorik
