#pragma once
#include <memory>

#include "app/AppPorts.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDeadlineTimer.h"
#include "fakes/FakeDialogHost.h"
#include "fakes/FakeFileStore.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeImageEncoder.h"
#include "fakes/FakeKeyNames.h"
#include "fakes/FakeKeyState.h"
#include "fakes/FakeMenu.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeNativeProgressBar.h"
#include "fakes/FakePoster.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeReview.h"
#include "fakes/FakeScreenGrab.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeThreadPriority.h"
#include "fakes/FakeTrace.h"
#include "fakes/FakeWindowSystem.h"

namespace lorik {

// Every platform service of the application, in memory. The ones the worker
// threads call are shared, as the program shares its adapters.
struct FakeApp {
  // The default folder the program would have made of FakeShell's Pictures folder.
  static constexpr wchar_t kDefaultFolder[] = L"C:\\Users\\user\\Pictures\\Lorik";
  std::shared_ptr<FakeTrace> traceShared = std::make_shared<FakeTrace>();
  std::shared_ptr<FakeMessageBox> messagesShared = std::make_shared<FakeMessageBox>();
  std::shared_ptr<FakeImageEncoder> encoderShared = std::make_shared<FakeImageEncoder>();
  std::shared_ptr<FakeFileStore> storeShared = std::make_shared<FakeFileStore>();
  std::shared_ptr<FakePoster> posterShared = std::make_shared<FakePoster>();
  // The capture clock's counter stands still until a test moves it.
  std::shared_ptr<FakeDeadlineTimer> captureTimerShared = std::make_shared<FakeDeadlineTimer>();
  std::shared_ptr<FakeThreadPriority> prioritiesShared = std::make_shared<FakeThreadPriority>();
  FakeTrace& trace = *traceShared;
  FakeMessageBox& messages = *messagesShared;
  FakeImageEncoder& encoder = *encoderShared;
  FakeFileStore& store = *storeShared;
  fakes::FakeSystem system;
  fakes::FakeInstanceGuard instance;
  FakeFiles files;
  FakeClock clock;
  ui::FakeDialogHost host;
  FakeScreenGrab grab;
  FakeWindowSystem windows;
  FakeProcessTable processes;
  FakeKeyState keys;
  FakeShell shell;
  FakeMenu menus;
  FakeControlBinder controls;
  FakeKeyNames keyNames;
  FakeRecycle recycle{store};
  FakeFilmstripPort filmstrip;
  std::shared_ptr<FakePictureDecoder> decoderShared = std::make_shared<FakePictureDecoder>();

  AppPorts Ports() {
    PipelinePorts pipeline{encoderShared,  storeShared, messagesShared,
                           traceShared,    nullptr,     [this] { return shell.CurrentDirectory(); },
                           kDefaultFolder, posterShared};
    return {trace,
            messages,
            system,
            instance,
            files,
            clock,
            host,
            grab,
            windows,
            processes,
            keys,
            shell,
            menus,
            controls,
            keyNames,
            pipeline,
            captureTimerShared,
            prioritiesShared,
            recycle,
            filmstrip,
            decoderShared};
  }
};

}  // namespace lorik
