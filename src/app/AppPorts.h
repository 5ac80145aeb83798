#pragma once

namespace lorik {
class TracePort;
class MessageBoxPort;
class SystemPort;
class InstanceGuardPort;
class FilePort;
class ClockPort;
namespace ui {
class DialogHost;
}

// The platform services the application shell reaches; the Win32 program
// passes real adapters, the unit tests fakes.
struct AppPorts {
  TracePort& trace;
  MessageBoxPort& messages;
  SystemPort& system;
  InstanceGuardPort& instance;
  FilePort& files;
  ClockPort& clock;
  ui::DialogHost& dialogs;
};

// Caption of the application's own messages.
inline constexpr wchar_t kAppName[] = L"Lorik";

}  // namespace lorik
