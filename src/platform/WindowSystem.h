#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Geometry.h"
#include "core/WindowHandle.h"

namespace lorik {

// Windows of the desktop as the platform sees them. Class names and titles are
// read into 1,024-character buffers, so at most 1,023 characters come back.
class WindowSystemPort {
 public:
  virtual ~WindowSystemPort() = default;
  // Top-level windows in the platform's enumeration order; nothing when the
  // enumeration failed.
  virtual std::optional<std::vector<WindowHandle>> TopLevelWindows() = 0;
  // All descendants of `parent` in the platform's enumeration order.
  virtual std::vector<WindowHandle> DescendantWindows(WindowHandle parent) = 0;
  virtual std::wstring ClassName(WindowHandle window) = 0;
  virtual std::wstring Title(WindowHandle window) = 0;
  virtual int ControlId(WindowHandle window) = 0;
  // Id of the process that owns the window; 0 when unknown.
  virtual uint32_t ProcessId(WindowHandle window) = 0;
  // Client rectangle (left and top 0); empty for a window that does not exist.
  virtual Rect ClientRect(WindowHandle window) = 0;
  // Window rectangle in screen coordinates, frame included; empty when it does not exist.
  virtual Rect WindowRect(WindowHandle window) = 0;
  virtual bool IsWindow(WindowHandle window) = 0;
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual WindowHandle DesktopWindow() = 0;
};

// One snapshot of the running processes: id -> executable file name.
class ProcessTablePort {
 public:
  virtual ~ProcessTablePort() = default;
  struct Entry {
    uint32_t processId = 0;
    std::wstring exeFile;
  };
  // Nothing when the snapshot could not be taken or read.
  virtual std::optional<std::vector<Entry>> Snapshot() = 0;
};

}  // namespace lorik
