#pragma once
// The text of a tab control's item, as the tests read it back.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

namespace lorik::testing {

inline std::wstring TabItemText(HWND tab, int index) {
  wchar_t text[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

}  // namespace lorik::testing
