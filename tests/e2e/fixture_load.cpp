// Loads each DLL named on the command line the ordinary way, with the search
// order a program gets when it does nothing about it, and prints for each the
// file it got ("-" when none). fixture_load.exe version.dll gdiplus.dll ...
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr) return 2;
  std::string out;
  for (int i = 1; i < count; ++i) {
    wchar_t path[MAX_PATH] = L"-";
    if (HMODULE module = LoadLibraryW(args[i])) GetModuleFileNameW(module, path, MAX_PATH);
    char line[4 * MAX_PATH] = {};
    WideCharToMultiByte(CP_UTF8, 0, path, -1, line, sizeof line - 1, nullptr, nullptr);
    out += line;
    out += '\n';
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
  LocalFree(args);
  return 0;
}
