// Holds a file open without sharing it, as an editor or a backup program can:
// fixture_hold.exe <path>. Prints "held" once the file is open and keeps it while
// <path>.hold exists; then closes it, prints "released" and ends. Ending it
// through the caller's own process would not reach a Windows process behind a
// wrapper. Exit code 2 when the file could not be opened.
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
  const std::wstring flag = path + L".hold";
  while (GetFileAttributesW(flag.c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(100);
  CloseHandle(file);
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "released\n", 9, &written, nullptr);
  return 0;
}
