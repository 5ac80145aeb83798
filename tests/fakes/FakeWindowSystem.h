#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Geometry.h"
#include "core/WindowHandle.h"
#include "platform/WindowSystem.h"

namespace lorik {

// An in-memory window tree. Windows are enumerated in their own order, which
// is set apart from the handle values: top-level windows in the order they
// were added (or SetTopLevelOrder), children in the order they were added to
// their parent (or SetChildOrder), descendants depth-first. A handle that was
// never added or was destroyed reads as the platform reads a dead window:
// empty names, id 0, process 0, empty rectangles. Single-threaded, as the
// user-interface code that uses it.
class FakeWindowSystem final : public WindowSystemPort {
 public:
  struct Window {
    WindowHandle handle;  // must be non-null and not in use
    WindowHandle parent;  // null for a top-level window
    std::wstring className;
    std::wstring title;
    int controlId = 0;
    uint32_t processId = 0;
    // Client width and height in the window's own pixels; the client rectangle
    // is 0, 0, width, height.
    Size client;
    Rect windowRect;  // physical screen coordinates, frame included
    bool visible = true;
    WindowHandle owner;  // of a top-level window: the window that owns it
    // Of the client area's top-left corner from the window's, physical.
    Point clientOffset;
    // DPI awareness: the DPI the window's own pixels are at (96 for a
    // DPI-unaware window, the system DPI for a system-aware one), which the
    // platform scales to the monitor's; 0 for a per-monitor aware window,
    // whose own pixels are physical.
    int awareDpi = 0;
    int monitorDpi = 96;
  };

  static constexpr WindowHandle kDesktop{0x10010};

  // The desktop window covers `screen`; it is no top-level window of the enumeration.
  explicit FakeWindowSystem(Size screen = {1280, 1024});

  // Adds the window at the end of its parent's (or the top-level) order.
  WindowHandle Add(Window window);
  // Convenience for the common case; the window rectangle is the client area
  // placed at `origin` with no frame.
  WindowHandle AddWindow(uintptr_t handle, WindowHandle parent, std::wstring className,
                         std::wstring title, int controlId, uint32_t processId, Size client,
                         Point origin = {});

  // Replaces the enumeration order of the top-level windows; handles that are
  // not top-level windows are skipped when enumerating.
  void SetTopLevelOrder(std::vector<WindowHandle> order);
  void SetChildOrder(WindowHandle parent, std::vector<WindowHandle> order);
  void FailTopLevelWindows(bool fail) { failTopLevel_ = fail; }

  // Destroys the window and all its descendants.
  void Destroy(WindowHandle window);
  // Moves the window's top-left corner to `topLeft` (screen); descendants move with it.
  void Move(WindowHandle window, Point topLeft);
  // Changes the client size; the window rectangle grows or shrinks by the same amount.
  void Resize(WindowHandle window, Size client);
  void SetTitle(WindowHandle window, std::wstring title);
  void SetVisible(WindowHandle window, bool visible);
  // Direct access for any other change; null for a dead handle.
  Window* Find(WindowHandle window);

  // Parents whose descendants were asked for, in call order.
  const std::vector<WindowHandle>& DescendantQueries() const { return descendantQueries_; }
  int TopLevelQueries() const { return topLevelQueries_; }

  std::optional<std::vector<WindowHandle>> TopLevelWindows() override;
  std::vector<WindowHandle> DescendantWindows(WindowHandle parent) override;
  std::wstring ClassName(WindowHandle window) override;
  std::wstring Title(WindowHandle window) override;
  int ControlId(WindowHandle window) override;
  uint32_t ProcessId(WindowHandle window) override;
  Rect ClientRect(WindowHandle window) override;
  Rect WindowRect(WindowHandle window) override;
  bool IsWindow(WindowHandle window) override;
  bool IsWindowVisible(WindowHandle window) override;
  WindowHandle DesktopWindow() override { return kDesktop; }

  // Hit testing follows the enumeration order as the Z order, topmost first;
  // outside every top-level window the point is on the desktop, off the screen
  // on no window.
  WindowHandle Parent(WindowHandle window) override;
  WindowHandle Root(WindowHandle window) override;
  void ShowWindow(WindowHandle window, bool visible, bool activate) override;
  WindowHandle WindowFromPoint(Point screen) override;
  WindowHandle ChildWindowFromPoint(WindowHandle parent, Point client) override;
  Point ClientToScreen(WindowHandle window, Point client) override;
  Point ScreenToClient(WindowHandle window, Point screen) override;
  Point CursorPos() override { return cursor; }
  bool IsPrimaryButtonDown() override { return primaryButtonDown; }

  Point cursor;
  bool primaryButtonDown = false;

  struct ShowCall {
    WindowHandle window;
    bool visible = false;
    bool activate = false;
    friend bool operator==(const ShowCall&, const ShowCall&) = default;
  };
  std::vector<ShowCall> showCalls;  // every ShowWindow, in order
  // Screen points WindowFromPoint was asked about, with what was visible then.
  struct HitTest {
    Point screen;
    std::vector<WindowHandle> hidden;  // top-level windows hidden at the time
  };
  std::vector<HitTest> hitTests;

 private:
  struct Node {
    Window window;
    std::vector<WindowHandle> children;
  };
  const Node* FindNode(WindowHandle window) const;
  void AppendDescendants(const Node& node, std::vector<WindowHandle>& out) const;
  void Shift(WindowHandle window, int32_t dx, int32_t dy);
  // A length in the window's own pixels as physical pixels, and back.
  static int32_t ToPhysical(const Window& w, int32_t own);
  static int32_t ToOwn(const Window& w, int32_t physical);
  static bool Contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
  }

  std::map<WindowHandle, Node> nodes_;
  std::vector<WindowHandle> topLevel_;
  bool failTopLevel_ = false;
  int topLevelQueries_ = 0;
  std::vector<WindowHandle> descendantQueries_;
};

}  // namespace lorik
