// A DLL planted beside a program under the name of a system DLL. Loaded, it
// leaves "<its own path>.loaded" beside itself, holding the path of the
// program that loaded it, and otherwise does nothing: it exports none of the
// functions of the DLL it stands in for.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 16] = {};
  const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  lstrcatW(marker, L".loaded");
  const HANDLE file =
      CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  wchar_t program[MAX_PATH] = {};
  char utf8[3 * MAX_PATH] = {};
  const int bytes = WideCharToMultiByte(
      CP_UTF8, 0, program, static_cast<int>(GetModuleFileNameW(nullptr, program, MAX_PATH)), utf8,
      sizeof utf8, nullptr, nullptr);
  DWORD written = 0;
  if (bytes > 0) WriteFile(file, utf8, static_cast<DWORD>(bytes), &written, nullptr);
  CloseHandle(file);
  return TRUE;
}
