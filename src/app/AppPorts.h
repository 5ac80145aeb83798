#pragma once
#include <memory>

#include "core/AppName.h"
#include "pipeline/PipelineState.h"

namespace lorik {
class TracePort;
class MessageBoxPort;
class SystemPort;
class InstanceGuardPort;
class FilePort;
class ClockPort;
class ScreenGrabPort;
class WindowSystemPort;
class ProcessTablePort;
class KeyStatePort;
class ShellPort;
class MenuPort;
class KeyNamePort;
class ControlBinder;
class DeadlineTimerPort;
class ThreadPriorityPort;
class RecyclePort;
class FilmstripPort;
class PictureDecoderPort;
namespace ui {
class DialogHost;
}

// The platform services the application reaches; the Win32 program passes
// real adapters, the unit tests fakes.
struct AppPorts {
  TracePort& trace;
  MessageBoxPort& messages;
  SystemPort& system;
  InstanceGuardPort& instance;
  FilePort& files;
  ClockPort& clock;
  ui::DialogHost& dialogs;
  ScreenGrabPort& grab;
  WindowSystemPort& windows;
  ProcessTablePort& processes;
  KeyStatePort& keys;
  ShellPort& shell;
  MenuPort& menus;
  ControlBinder& controls;
  KeyNamePort& keyNames;  // the keyboard layout's key names, for the hotkey page
  // What the worker threads call; shared, so that a worker left to end on its
  // own never reaches a destroyed adapter. The main window sets the thumbnail.
  PipelinePorts pipeline;
  // What the capture clock's thread waits with; null, or one that is not
  // usable, leaves the window's timer pacing the capture.
  std::shared_ptr<DeadlineTimerPort> captureTimer;
  // Sets the priority of the clock's and the workers' threads; null leaves
  // them at the priority they start with.
  std::shared_ptr<ThreadPriorityPort> priorities;
  // The review window of the last shot; the decoder is shared with its thread.
  RecyclePort& recycle;
  FilmstripPort& filmstrip;
  std::shared_ptr<PictureDecoderPort> decoder;
};

}  // namespace lorik
