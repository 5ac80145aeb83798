#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

namespace lorik::win32 {

// The functions of the common controls that the program calls, from the
// version 6 that the manifest asks for. Loaded at run time, after the DLL
// search has been restricted, since comctl32 loads uxtheme as it starts.
struct CommonControlsFunctions {
  decltype(&::InitCommonControlsEx) initCommonControlsEx;
  decltype(&::SetWindowSubclass) setWindowSubclass;
  decltype(&::RemoveWindowSubclass) removeWindowSubclass;
  decltype(&::DefSubclassProc) defSubclassProc;
  // The review window's thumbnails.
  decltype(&::ImageList_Create) imageListCreate;
  decltype(&::ImageList_Add) imageListAdd;
};

// Looked up on the first call, which throws MissingSystemFunction when one is
// missing; wWinMain makes that call before any window exists.
const CommonControlsFunctions& CommonControls();

}  // namespace lorik::win32
