#pragma once
#include <windows.h>

#include "platform/Menu.h"

namespace lorik {

class MenuWin32 final : public MenuPort {
 public:
  explicit MenuWin32(HINSTANCE instance) : instance_(instance) {}
  Menu Load(int menuResourceId) override;
  Menu SubMenu(Menu menu, int position) override;
  bool InsertItem(Menu menu, unsigned position, unsigned command,
                  const std::wstring& text) override;
  void CheckItem(Menu menu, unsigned command, bool checked) override;
  void Track(Menu menu, Point screen, WindowHandle owner) override;
  void Destroy(Menu menu) override;
  Point CursorPos() override;

 private:
  HINSTANCE instance_;
};

}  // namespace lorik
