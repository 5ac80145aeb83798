#include "win32/ShellWin32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace lorik {

bool ShellWin32::Explore(WindowHandle owner, const std::wstring& folder) {
  const HINSTANCE result = ::ShellExecuteW(reinterpret_cast<HWND>(owner.value), L"explore",
                                           folder.c_str(), nullptr, nullptr, SW_SHOW);
  // ShellExecuteW reports failure as a value of 32 or less.
  return reinterpret_cast<intptr_t>(result) > 32;
}

std::wstring ShellWin32::CurrentDirectory() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring dir(size, L'\0');
  const DWORD n = ::GetCurrentDirectoryW(size, dir.data());
  dir.resize(n < size ? n : 0);
  return dir;
}

}  // namespace lorik
