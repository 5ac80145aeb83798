#include "win32/CommonControls.h"

#include "win32/SystemDll.h"

namespace lorik::win32 {

const CommonControlsFunctions& CommonControls() {
  static const CommonControlsFunctions functions = [] {
    // The common controls load the theme library for themselves; loaded from
    // System32 first, it is the one they find among the loaded modules.
    const SystemDll theme(L"uxtheme.dll");
    const SystemDll dll(L"comctl32.dll");
    return CommonControlsFunctions{
        dll.Require<decltype(&::InitCommonControlsEx)>("InitCommonControlsEx"),
        dll.Require<decltype(&::SetWindowSubclass)>("SetWindowSubclass"),
        dll.Require<decltype(&::RemoveWindowSubclass)>("RemoveWindowSubclass"),
        dll.Require<decltype(&::DefSubclassProc)>("DefSubclassProc"),
        dll.Require<decltype(&::ImageList_Create)>("ImageList_Create"),
        dll.Require<decltype(&::ImageList_Add)>("ImageList_Add")};
  }();
  return functions;
}

}  // namespace lorik::win32
