#pragma once
#include <windows.h>

#include "platform/Menu.h"

namespace lorik {

class MenuWin32 final : public MenuPort {
 public:
  explicit MenuWin32(HINSTANCE instance) : instance_(instance) {}
  Menu SubMenu(Menu menu, int position) override;
  bool InsertItem(Menu menu, unsigned position, unsigned command,
                  const std::wstring& text) override;
  void CheckItem(Menu menu, unsigned command, bool checked) override;
  void Track(Menu menu, Point screen, WindowHandle owner) override;
  Point CursorPos() override;

 private:
  Menu LoadHandle(int menuResourceId) override;
  void Destroy(Menu menu) override;

  HINSTANCE instance_;
};

}  // namespace lorik
