#pragma once
#include <cstdint>
#include <string>
#include <utility>

#include "core/Geometry.h"
#include "core/WindowHandle.h"

namespace lorik {

class MenuPort;

// A menu loaded from the program's resources, destroyed with its owner. Empty
// when the menu could not be loaded.
class OwnedMenu {
 public:
  using Handle = uintptr_t;  // 0 is no menu

  OwnedMenu() = default;
  OwnedMenu(MenuPort& port, Handle handle) : port_(&port), handle_(handle) {}
  OwnedMenu(OwnedMenu&& other) noexcept
      : port_(other.port_), handle_(std::exchange(other.handle_, 0)) {}
  OwnedMenu& operator=(OwnedMenu&& other) noexcept {
    if (this != &other) {
      Reset();
      port_ = other.port_;
      handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
  }
  OwnedMenu(const OwnedMenu&) = delete;
  OwnedMenu& operator=(const OwnedMenu&) = delete;
  ~OwnedMenu() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != 0; }

 private:
  inline void Reset();

  MenuPort* port_ = nullptr;
  Handle handle_ = 0;
};

// Menus loaded from the program's resources, handled as the platform does.
// Only a loaded menu is destroyed, by its `OwnedMenu`; the submenus it holds
// are borrowed handles that go with it.
class MenuPort {
 public:
  using Menu = OwnedMenu::Handle;

  virtual ~MenuPort() = default;
  OwnedMenu Load(int menuResourceId) { return OwnedMenu(*this, LoadHandle(menuResourceId)); }
  virtual Menu SubMenu(Menu menu, int position) = 0;
  // Inserts a text item before `position`.
  virtual bool InsertItem(Menu menu, unsigned position, unsigned command,
                          const std::wstring& text) = 0;
  virtual void CheckItem(Menu menu, unsigned command, bool checked) = 0;
  // Shows `menu` at a screen point, left-aligned and tracking the left button;
  // the chosen command reaches `owner` as WM_COMMAND.
  virtual void Track(Menu menu, Point screen, WindowHandle owner) = 0;
  // The mouse pointer in screen coordinates.
  virtual Point CursorPos() = 0;

 private:
  friend class OwnedMenu;
  virtual Menu LoadHandle(int menuResourceId) = 0;
  virtual void Destroy(Menu menu) = 0;
};

void OwnedMenu::Reset() {
  if (handle_ != 0) port_->Destroy(std::exchange(handle_, 0));
}

}  // namespace lorik
