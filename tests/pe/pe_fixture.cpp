// A program that is nothing but what tools/check_pe.py reads: built several
// times with one setting changed each, it must be refused for that setting.
#include <windows.h>

#ifdef PE_FIXTURE_IMPORTS_VERSION
// Imported, not looked up: the import table names version.dll.
int main() {
  DWORD ignored = 0;
  return static_cast<int>(GetFileVersionInfoSizeW(L"", &ignored));
}
#else
int main() {
  return GetCurrentProcessId() == 0 ? 1 : 0;
}
#endif
