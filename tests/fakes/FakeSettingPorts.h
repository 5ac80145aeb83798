#pragma once
#include "fakes/FakeClock.h"
#include "fakes/FakeDialogHost.h"
#include "fakes/FakeKeyNames.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeScreenGrab.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeTrace.h"
#include "fakes/FakeWindowSystem.h"
#include "settingsui/SettingPorts.h"

namespace lorik {

// Every port a settings page gets, in memory.
struct FakeSettingPorts {
  static constexpr wchar_t kDefaultFolder[] = L"C:\\Users\\user\\Pictures\\Lorik";
  FakeMessageBox messages;
  FakeTrace trace;
  FakeClock clock;
  FakeShell shell;
  FakeWindowSystem windows;
  FakeProcessTable processes;
  FakeScreenGrab grab;
  ui::FakeDialogHost dialogs;
  FakeKeyNames keyNames;

  SettingPorts Ports() {
    return {messages,  trace, clock,   shell,    windows,
            processes, grab,  dialogs, keyNames, kDefaultFolder};
  }
};

}  // namespace lorik
