#include "win32/Dpi.h"

#include "ui/Message.h"

namespace lorik::win32 {
namespace {

template <class Function>
Function User32(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

int DpiOfWindow(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi != 0) return static_cast<int>(dpi);
  }
  HDC dc = GetDC(window);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc != nullptr) ReleaseDC(window, dc);
  return dpi > 0 ? dpi : ui::kBaseDpi;
}

HFONT ScaledFontCopy(HFONT font, int toDpi, int fromDpi) {
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) != sizeof(logFont)) {
    return nullptr;
  }
  logFont.lfHeight = ui::ScaleForDpi(logFont.lfHeight, toDpi, fromDpi);
  logFont.lfWidth = ui::ScaleForDpi(logFont.lfWidth, toDpi, fromDpi);
  return CreateFontIndirectW(&logFont);
}

void DisableDialogDpiScaling(HWND dialog) {
  // DIALOG_DPI_CHANGE_BEHAVIORS: DDC_DISABLE_ALL.
  constexpr int kDisableAll = 0x0001;
  using SetBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
  static const auto setBehaviour = User32<SetBehaviourFn>("SetDialogDpiChangeBehavior");
  if (setBehaviour != nullptr) setBehaviour(dialog, kDisableAll, kDisableAll);
}

}  // namespace lorik::win32
