// Moves the top-level window with the given title to X, Y, as a user dragging
// it would: "fixture_move.exe X Y title words". Exit code 0 when it moved.
#include <windows.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  wchar_t* rest = nullptr;
  const long x = std::wcstol(commandLine, &rest, 10);
  const long y = std::wcstol(rest, &rest, 10);
  std::wstring title = rest;
  while (!title.empty() && (title.front() == L' ' || title.front() == L'"')) title.erase(0, 1);
  while (!title.empty() && (title.back() == L' ' || title.back() == L'"')) title.pop_back();
  HWND window = FindWindowW(nullptr, title.c_str());
  if (window == nullptr) return 1;
  return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) ? 0 : 1;
}
