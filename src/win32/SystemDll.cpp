#include "win32/SystemDll.h"

#include <cstring>

namespace lorik::win32 {
namespace {

std::string Narrow(const wchar_t* text) {
  // DLL and function names are ASCII.
  std::string result;
  for (; *text != L'\0'; ++text) result.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
  return result;
}

}  // namespace

bool RestrictDllSearchToSystem32() {
  // Looked up, not imported: Windows 7 has it only with an update installed.
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  auto setDefault = kernel32 == nullptr
                        ? nullptr
                        : reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(
                              GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  SetDllDirectoryW(L"");
  return false;
}

MissingSystemFunction::MissingSystemFunction(const wchar_t* dll, const char* function)
    : std::runtime_error(Narrow(dll) + ": " + function),
      text_(std::wstring(dll) + L": " + std::wstring(function, function + strlen(function))) {}

SystemDll::SystemDll(const wchar_t* name) : name_(name) {
  module_ = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module_ != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return;
  // A system without the search flags: the full path, which no manifest redirects.
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH)
    module_ = LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

}  // namespace lorik::win32
