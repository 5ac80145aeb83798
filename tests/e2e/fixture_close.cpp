// Asks every top-level window with the given title to close, as its close box
// would, and waits until none is left. Exit code 0 when all closed in time.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR title, int) {
  for (int waited = 0; waited < 10000; waited += 100) {
    HWND window = FindWindowW(nullptr, title);
    if (window == nullptr) return 0;
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(100);
  }
  return 1;
}
