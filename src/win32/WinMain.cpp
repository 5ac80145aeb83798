#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "app/LorikApp.h"
#include "win32/ClockWin32.h"
#include "win32/DialogHostWin32.h"
#include "win32/FilesWin32.h"
#include "win32/MessageBoxWin32.h"
#include "win32/SystemWin32.h"
#include "win32/TraceWin32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};  // ICC_WIN95_CLASSES
  InitCommonControlsEx(&controls);

  lorik::TraceWin32 trace;
  lorik::MessageBoxWin32 messages;
  lorik::SystemWin32 system;
  lorik::InstanceGuardWin32 instanceGuard(L"Lorik.exe.mivo");
  lorik::FilesWin32 files;
  lorik::ClockWin32 clock;
  lorik::ui::DialogHostWin32 dialogs(instance);
  lorik::CLorikApp app({trace, messages, system, instanceGuard, files, clock, dialogs});
  app.InitInstance();
  return 0;
}
