#pragma once
#include <windows.h>

namespace lorik::win32 {

// The DPI a window is shown at: GetDpiForWindow where the platform has it,
// the screen's otherwise.
int DpiOfWindow(HWND window);

// A copy of `font` for `toDpi` when it was made for `fromDpi`; the caller
// deletes it. Null when the font cannot be read.
HFONT ScaledFontCopy(HFONT font, int toDpi, int fromDpi);

// Turns off the platform's own rescaling of a dialog, a page inside another
// one too, at a DPI change (Windows 10 1703 and later), where the function
// exists: the host scales the dialog itself, the same way everywhere.
void DisableDialogDpiScaling(HWND dialog);

}  // namespace lorik::win32
