#pragma once
// The real services that the settings dialog and its pages are given, for the
// tests that build them on the Win32 host; the messages are each test's own.
#include <windows.h>

#include "settingsui/SettingPorts.h"
#include "win32/ClockWin32.h"
#include "win32/DialogHostWin32.h"
#include "win32/KeyNamesWin32.h"
#include "win32/ProcessTableWin32.h"
#include "win32/ScreenGrabWin32.h"
#include "win32/ShellWin32.h"
#include "win32/TraceWin32.h"
#include "win32/WindowSystemWin32.h"

namespace lorik {

struct SettingServicesWin32 {
  TraceWin32 trace;
  ClockWin32 clock;
  ShellWin32 shell;
  WindowSystemWin32 windows;
  ProcessTableWin32 processes;
  ScreenGrabWin32 grab;
  ui::DialogHostWin32 host{GetModuleHandleW(nullptr)};
  KeyNamesWin32 keyNames;

  SettingPorts With(MessageBoxPort& messages) {
    return {messages, trace, clock, shell, windows, processes, grab, host, keyNames, L"C:\\Lorik"};
  }
};

}  // namespace lorik
