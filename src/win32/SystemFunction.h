#pragma once
#include <windows.h>

namespace lorik::win32 {

// A function of a system DLL that older Windows may lack, looked up at run
// time; a DLL not yet in the process is loaded from System32 only. `F` is the
// function's pointer type, taken from its declaration where the headers have
// one. nullptr when the DLL or the function is missing.
template <typename F>
F FindSystemFunction(const wchar_t* dll, const char* function) {
  HMODULE module = GetModuleHandleW(dll);
  if (module == nullptr) module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  // Through void*: FARPROC takes no parameters, so a direct cast warns.
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, function)));
}

}  // namespace lorik::win32
