#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "core/WindowHandle.h"
#include "platform/ExclusiveMessage.h"
#include "settings/Settings.h"

namespace lorik {

class WindowSystemPort;
class ProcessTablePort;
class TracePort;

// Finds the window the capture reads from, from the description the window
// picker recorded. Each call takes a fresh process snapshot and enumeration
// and keeps nothing between calls, except whether one of its error messages
// is open. User-interface thread only.
class TargetSearch {
 public:
  // Process id -> executable file name.
  using ProcessTable = std::map<uint32_t, std::wstring>;

  TargetSearch(WindowSystemPort& windows, ProcessTablePort& processes, MessageBoxPort& messages,
               TracePort& trace);

  // Fills `table` from one process snapshot; false after an error, whose
  // message has been shown (or skipped, see MessageOpen).
  bool BuildProcessTable(ProcessTable& table);

  // The window that `description` names, or null when nothing matched or an
  // error occurred. Uses "App name", "Class name", "Control ID", "Title",
  // "Target width" and "Target height".
  WindowHandle FindTargetWindow(CaptureSettings description);

  // True while one of the search's error messages is open. A modal message
  // runs its own loop, so the re-search timer calls FindTargetWindow again
  // meanwhile; such a call still searches, but an error it meets is not shown
  // a second time - it only returns null.
  bool MessageOpen() const { return errors_.IsOpen(); }

 private:
  void ShowError(std::wstring_view text);

  WindowSystemPort& windows_;
  ProcessTablePort& processes_;
  TracePort& trace_;
  ExclusiveMessage errors_;
};

}  // namespace lorik
