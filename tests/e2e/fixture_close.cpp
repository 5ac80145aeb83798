// Asks every top-level window with the given title to close, as its close box
// would, and waits until none is left. Exit code 0 when all closed in time.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  // The rest of the command line is the title; a caller may have quoted it.
  std::wstring title = commandLine;
  while (!title.empty() && (title.front() == L' ' || title.front() == L'"')) title.erase(0, 1);
  while (!title.empty() && (title.back() == L' ' || title.back() == L'"')) title.pop_back();
  for (int waited = 0; waited < 10000; waited += 100) {
    HWND window = FindWindowW(nullptr, title.c_str());
    if (window == nullptr) return 0;
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(100);
  }
  return 1;
}
