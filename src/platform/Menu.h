#pragma once
#include <cstdint>
#include <string>

#include "core/Geometry.h"
#include "core/WindowHandle.h"

namespace lorik {

// Menus loaded from the program's resources, handled as the platform does.
class MenuPort {
 public:
  using Menu = uintptr_t;  // 0 is no menu

  virtual ~MenuPort() = default;
  virtual Menu Load(int menuResourceId) = 0;
  virtual Menu SubMenu(Menu menu, int position) = 0;
  // Inserts a text item before `position`.
  virtual bool InsertItem(Menu menu, unsigned position, unsigned command,
                          const std::wstring& text) = 0;
  virtual void CheckItem(Menu menu, unsigned command, bool checked) = 0;
  // Shows `menu` at a screen point, left-aligned and tracking the left button;
  // the chosen command reaches `owner` as WM_COMMAND.
  virtual void Track(Menu menu, Point screen, WindowHandle owner) = 0;
  virtual void Destroy(Menu menu) = 0;
  // The mouse pointer in screen coordinates.
  virtual Point CursorPos() = 0;
};

}  // namespace lorik
