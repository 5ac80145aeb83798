#include "win32/MenuWin32.h"

namespace lorik {
namespace {
HMENU H(MenuPort::Menu m) {
  return reinterpret_cast<HMENU>(m);
}
MenuPort::Menu M(HMENU h) {
  return reinterpret_cast<MenuPort::Menu>(h);
}
}  // namespace

MenuPort::Menu MenuWin32::LoadHandle(int menuResourceId) {
  return M(::LoadMenuW(instance_, MAKEINTRESOURCEW(menuResourceId)));
}

MenuPort::Menu MenuWin32::SubMenu(Menu menu, int position) {
  return M(::GetSubMenu(H(menu), position));
}

bool MenuWin32::InsertItem(Menu menu, unsigned position, unsigned command,
                           const std::wstring& text) {
  std::wstring copy = text;
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID | MIIM_TYPE;
  info.fType = MFT_STRING;
  info.wID = command;
  info.dwTypeData = copy.data();
  return ::InsertMenuItemW(H(menu), position, TRUE, &info) != FALSE;
}

void MenuWin32::CheckItem(Menu menu, unsigned command, bool checked) {
  ::CheckMenuItem(H(menu), command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MenuWin32::Track(Menu menu, Point screen, WindowHandle owner) {
  ::TrackPopupMenu(H(menu), TPM_LEFTALIGN | TPM_LEFTBUTTON, screen.x, screen.y, 0,
                   reinterpret_cast<HWND>(owner.value), nullptr);
}

void MenuWin32::Destroy(Menu menu) {
  ::DestroyMenu(H(menu));
}

Point MenuWin32::CursorPos() {
  POINT p{};
  ::GetCursorPos(&p);
  return {p.x, p.y};
}

}  // namespace lorik
