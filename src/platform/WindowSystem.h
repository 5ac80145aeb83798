#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Geometry.h"
#include "core/WindowHandle.h"

namespace lorik {

// Windows of the desktop as the platform sees them. Class names and titles are
// read into 1,024-character buffers with a limit of 1,023 that counts the
// terminating zero, so at most 1,022 characters come back.
//
// Two kinds of pixels, whatever this program's own DPI: a window's client
// rectangle and client points are in the window's own pixels, the ones it
// draws and a grab of it reads (for a DPI-unaware window on a 150 % monitor,
// two thirds of the physical ones); window rectangles, screen points and the
// pointer are in physical screen pixels, the ones a grab of the screen reads.
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
  // Client rectangle (left and top 0) in the window's own pixels; empty for a
  // window that does not exist.
  virtual Rect ClientRect(WindowHandle window) = 0;
  // Window rectangle in screen coordinates, frame included; empty when it does not exist.
  virtual Rect WindowRect(WindowHandle window) = 0;
  virtual bool IsWindow(WindowHandle window) = 0;
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual WindowHandle DesktopWindow() = 0;

  // Relations, visibility and hit testing, for pointing at a window.
  // The parent of a child window, the owner of an owned pop-up, null otherwise.
  virtual WindowHandle Parent(WindowHandle window) = 0;
  // The top-level window above a child window; the window itself when it is one.
  virtual WindowHandle Root(WindowHandle window) = 0;
  // Shows or hides a window; a window shown without `activate` keeps its
  // place in the Z order and leaves the active window as it is.
  virtual void ShowWindow(WindowHandle window, bool visible, bool activate) = 0;
  // The deepest visible window at a screen point; null when there is none.
  virtual WindowHandle WindowFromPoint(Point screen) = 0;
  // The child of `parent` at a point of its client area, hidden, disabled and
  // transparent ones included; `parent` itself when no child is there, null
  // when the point lies outside it.
  virtual WindowHandle ChildWindowFromPoint(WindowHandle parent, Point client) = 0;
  // Between a window's own client pixels and physical screen pixels.
  virtual Point ClientToScreen(WindowHandle window, Point client) = 0;
  virtual Point ScreenToClient(WindowHandle window, Point screen) = 0;
  // The pointer's screen position and whether its primary button is down now.
  virtual Point CursorPos() = 0;
  virtual bool IsPrimaryButtonDown() = 0;
};

// One snapshot of the running processes: id -> executable file name.
class ProcessTablePort {
 public:
  virtual ~ProcessTablePort() = default;
  struct Entry {
    uint32_t processId = 0;
    std::wstring exeFile;  // bare file name, no folder
    friend bool operator==(const Entry&, const Entry&) = default;
  };
  // The two ways a snapshot fails are traced differently, so they stay apart.
  enum class Status {
    kOk,
    kSnapshotFailed,    // the snapshot could not be taken
    kFirstEntryFailed,  // taken, but its first entry could not be read
  };
  struct Result {
    Status status = Status::kOk;
    std::vector<Entry> entries;  // in snapshot order; empty unless kOk
  };
  virtual Result ReadSnapshot() = 0;

  // Nothing when the snapshot could not be taken or read.
  std::optional<std::vector<Entry>> Snapshot() {
    Result result = ReadSnapshot();
    if (result.status != Status::kOk) return std::nullopt;
    return std::move(result.entries);
  }
};

}  // namespace lorik
