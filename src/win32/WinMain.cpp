#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <memory>

#include "app/LorikApp.h"
#include "settings/SaveFolder.h"
#include "win32/ClockWin32.h"
#include "win32/ControlsWin32.h"
#include "win32/DeadlineTimerWin32.h"
#include "win32/DialogHostWin32.h"
#include "win32/FileStoreWin32.h"
#include "win32/FilesWin32.h"
#include "win32/ImageEncoderGdiPlus.h"
#include "win32/KeyNamesWin32.h"
#include "win32/KeyStateWin32.h"
#include "win32/MenuWin32.h"
#include "win32/MessageBoxWin32.h"
#include "win32/PosterWin32.h"
#include "win32/ProcessTableWin32.h"
#include "win32/SchedulingWin32.h"
#include "win32/ScreenGrabWin32.h"
#include "win32/ShellWin32.h"
#include "win32/SystemWin32.h"
#include "win32/TraceWin32.h"
#include "win32/WindowSystemWin32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};  // ICC_WIN95_CLASSES
  InitCommonControlsEx(&controls);
  // The capture keeps its period while its window is covered or minimised.
  lorik::OptOutOfPowerThrottling();

  // The adapters the worker threads call are shared with them.
  auto trace = std::make_shared<lorik::TraceWin32>();
  auto messages = std::make_shared<lorik::MessageBoxWin32>();
  auto encoder = std::make_shared<lorik::ImageEncoderGdiPlus>();
  auto store = std::make_shared<lorik::FileStoreWin32>();
  auto shell = std::make_shared<lorik::ShellWin32>();
  lorik::SystemWin32 system;
  lorik::InstanceGuardWin32 instanceGuard(L"Lorik.exe.mivo");
  lorik::FilesWin32 files;
  lorik::ClockWin32 clock;
  lorik::ui::DialogHostWin32 dialogs(instance);
  lorik::ScreenGrabWin32 grab;
  lorik::WindowSystemWin32 windows;
  lorik::ProcessTableWin32 processes;
  lorik::KeyStateWin32 keys;
  lorik::MenuWin32 menus(instance);
  lorik::win32::ControlBinderWin32 binder;
  lorik::KeyNamesWin32 keyNames;
  lorik::PipelinePorts pipeline{
      encoder,
      store,
      messages,
      trace,
      nullptr,
      [shell] { return shell->CurrentDirectory(); },
      lorik::DefaultSaveFolder(shell->PicturesFolder(), system.ExecutablePath()),
      std::make_shared<lorik::PosterWin32>()};
  lorik::CLorikApp app({*trace, *messages, system, instanceGuard, files, clock, dialogs, grab,
                        windows, processes, keys, *shell, menus, binder, keyNames, pipeline,
                        std::make_shared<lorik::DeadlineTimerWin32>(),
                        std::make_shared<lorik::ThreadPriorityWin32>()});
  app.InitInstance();
  return 0;
}
