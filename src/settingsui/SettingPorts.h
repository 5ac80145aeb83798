#pragma once
#include <string>

namespace lorik {

class MessageBoxPort;
class TracePort;
class ClockPort;
class ShellPort;
class WindowSystemPort;
class ProcessTablePort;
class ScreenGrabPort;
class KeyNamePort;
namespace ui {
class DialogHost;
}

// The platform services the settings dialog and its pages use. The main window
// hands its own ports in; the pages keep the references for their life.
struct SettingPorts {
  MessageBoxPort& messages;
  TracePort& trace;
  ClockPort& clock;
  ShellPort& shell;
  WindowSystemPort& windows;
  ProcessTablePort& processes;
  ScreenGrabPort& grab;
  ui::DialogHost& dialogs;
  KeyNamePort& keyNames;
  // Where a shot whose folder field is empty saves.
  std::wstring defaultFolder;
};

}  // namespace lorik
