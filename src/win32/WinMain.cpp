#include <windows.h>

#include <memory>

#include "app/LorikApp.h"
#include "settings/SaveFolder.h"
#include "win32/ClockWin32.h"
#include "win32/CommonControls.h"
#include "win32/ControlsWin32.h"
#include "win32/DeadlineTimerWin32.h"
#include "win32/DialogHostWin32.h"
#include "win32/FileStoreWin32.h"
#include "win32/FilesWin32.h"
#include "win32/FilmstripWin32.h"
#include "win32/ImageEncoderGdiPlus.h"
#include "win32/KeyNamesWin32.h"
#include "win32/KeyStateWin32.h"
#include "win32/MenuWin32.h"
#include "win32/MessageBoxWin32.h"
#include "win32/PictureDecoderGdiPlus.h"
#include "win32/PosterWin32.h"
#include "win32/ProcessTableWin32.h"
#include "win32/RecycleWin32.h"
#include "win32/SchedulingWin32.h"
#include "win32/ScreenGrabWin32.h"
#include "win32/ShellWin32.h"
#include "win32/SystemDll.h"
#include "win32/SystemWin32.h"
#include "win32/TraceWin32.h"
#include "win32/WindowSystemWin32.h"

namespace {

// The adapters that wWinMain owns for the life of the process. Those the
// worker threads call are shared with them.
struct Adapters {
  explicit Adapters(HINSTANCE instance) : dialogs(instance), menus(instance) {}

  std::shared_ptr<lorik::TraceWin32> trace = std::make_shared<lorik::TraceWin32>();
  std::shared_ptr<lorik::MessageBoxWin32> messages = std::make_shared<lorik::MessageBoxWin32>();
  std::shared_ptr<lorik::ImageEncoderGdiPlus> encoder =
      std::make_shared<lorik::ImageEncoderGdiPlus>();
  std::shared_ptr<lorik::FileStoreWin32> store = std::make_shared<lorik::FileStoreWin32>();
  std::shared_ptr<lorik::ShellWin32> shell = std::make_shared<lorik::ShellWin32>();
  lorik::SystemWin32 system;
  lorik::InstanceGuardWin32 instanceGuard{L"Lorik.exe.mivo"};
  lorik::FilesWin32 files;
  lorik::ClockWin32 clock;
  lorik::ui::DialogHostWin32 dialogs;
  lorik::ScreenGrabWin32 grab;
  lorik::WindowSystemWin32 windows;
  lorik::ProcessTableWin32 processes;
  lorik::KeyStateWin32 keys;
  lorik::MenuWin32 menus;
  lorik::win32::ControlBinderWin32 binder;
  lorik::KeyNamesWin32 keyNames;
  lorik::RecycleWin32 recycle;
  lorik::FilmstripWin32 filmstrip;
  std::shared_ptr<lorik::PictureDecoderGdiPlus> decoder =
      std::make_shared<lorik::PictureDecoderGdiPlus>();
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL that is not a known one of the system.
  lorik::win32::RestrictDllSearchToSystem32();
  // The capture keeps its period while its window is covered or minimised.
  lorik::OptOutOfPowerThrottling();

  std::unique_ptr<Adapters> adapters;
  try {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};  // ICC_WIN95_CLASSES
    lorik::win32::CommonControls().initCommonControlsEx(&controls);
    adapters = std::make_unique<Adapters>(instance);
  } catch (const lorik::win32::MissingSystemFunction& missing) {
    const std::wstring text =
        L"Windows の機能が見つからないため、Lorik を起動できません：\n" + missing.Text();
    MessageBoxW(nullptr, text.c_str(), L"Lorik", MB_OK | MB_ICONERROR);
    return 1;
  }

  std::shared_ptr<lorik::ShellWin32> shell = adapters->shell;
  lorik::PipelinePorts pipeline{
      adapters->encoder,
      adapters->store,
      adapters->messages,
      adapters->trace,
      nullptr,
      [shell] { return shell->CurrentDirectory(); },
      lorik::DefaultSaveFolder(shell->PicturesFolder(), adapters->system.ExecutablePath()),
      std::make_shared<lorik::PosterWin32>()};
  lorik::CLorikApp app({*adapters->trace,
                        *adapters->messages,
                        adapters->system,
                        adapters->instanceGuard,
                        adapters->files,
                        adapters->clock,
                        adapters->dialogs,
                        adapters->grab,
                        adapters->windows,
                        adapters->processes,
                        adapters->keys,
                        *adapters->shell,
                        adapters->menus,
                        adapters->binder,
                        adapters->keyNames,
                        pipeline,
                        std::make_shared<lorik::DeadlineTimerWin32>(),
                        std::make_shared<lorik::ThreadPriorityWin32>(),
                        adapters->recycle,
                        adapters->filmstrip,
                        adapters->decoder});
  app.InitInstance();
  return 0;
}
