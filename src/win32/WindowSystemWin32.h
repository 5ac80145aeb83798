#pragma once
#include "platform/WindowSystem.h"

namespace lorik {

// The desktop's windows through the user32 window functions.
class WindowSystemWin32 final : public WindowSystemPort {
 public:
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
  WindowHandle DesktopWindow() override;
  WindowHandle Parent(WindowHandle window) override;
  WindowHandle Root(WindowHandle window) override;
  void ShowWindow(WindowHandle window, bool visible, bool activate) override;
  WindowHandle WindowFromPoint(Point screen) override;
  WindowHandle ChildWindowFromPoint(WindowHandle parent, Point client) override;
  Point ClientToScreen(WindowHandle window, Point client) override;
  Point ScreenToClient(WindowHandle window, Point screen) override;
  Point CursorPos() override;
  bool IsPrimaryButtonDown() override;
};

}  // namespace lorik
