// Holds a file open without sharing it, as an editor or a backup program can:
// fixture_hold.exe <path>. Prints "held" once the file is open, then keeps it
// until the process is ended. Exit code 2 when the file could not be opened.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  std::wstring path = commandLine;
  while (!path.empty() && (path.front() == L' ' || path.front() == L'"')) path.erase(0, 1);
  while (!path.empty() && (path.back() == L' ' || path.back() == L'"')) path.pop_back();
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &written, nullptr);
  for (;;) Sleep(1000);
}
