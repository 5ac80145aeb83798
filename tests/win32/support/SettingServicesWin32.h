#pragma once
// The real services that the settings dialog and its pages are given, for the
// tests that build them on the Win32 host; the messages are each test's own.
#include <windows.h>

#include "settingsui/Setting.h"
#include "settingsui/SettingPorts.h"
#include "win32/ClockWin32.h"
#include "win32/DialogHostWin32.h"
#include "win32/KeyNamesWin32.h"
#include "win32/MessageBoxWin32.h"
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

// The same with the platform's message boxes.
struct SettingPortsWin32 : SettingServicesWin32 {
  MessageBoxWin32 messages;
  SettingPorts Get() { return With(messages); }
};

// Opens the settings dialog modeless on `host`, its pages on values they open
// without a message (a depth the save page accepts) and a capture period;
// its window, or null.
inline HWND OpenSettingsQuietly(ui::DialogHost& host, CSetting& setting, uint32_t periodMs) {
  setting.savePage.save.imageBitDepth = 24;
  setting.capturePage.capture.periodBetweenEachCapture = periodMs;
  if (!host.CreateModeless(setting, {})) return nullptr;
  return reinterpret_cast<HWND>(setting.View()->Handle().value);
}

}  // namespace lorik
