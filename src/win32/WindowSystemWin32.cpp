#include "win32/WindowSystemWin32.h"

#include <windows.h>

#include "win32/EdgeGuard.h"
#include "win32/ThreadDpiScope.h"

namespace lorik {

namespace {

HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window.value);
}

WindowHandle FromHwnd(HWND window) {
  return WindowHandle{reinterpret_cast<uintptr_t>(window)};
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  // Out of memory the enumeration stops, with what it has.
  return win32::AtEdge(
      "the window enumeration",
      [&] {
        reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(FromHwnd(window));
        return TRUE;  // always to the end
      },
      [] { return FALSE; });
}

// Names are read into 1,024 characters with a limit of 1,023; the last one is
// zeroed whatever the call left there.
constexpr int kNameBuffer = 1024;

RECT Empty() {
  return RECT{0, 0, 0, 0};
}

Rect FromRect(const RECT& rc) {
  return Rect{rc.left, rc.top, rc.right, rc.bottom};
}

}  // namespace

std::optional<std::vector<WindowHandle>> WindowSystemWin32::TopLevelWindows() {
  std::vector<WindowHandle> windows;
  if (!EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows))) return std::nullopt;
  return windows;
}

std::vector<WindowHandle> WindowSystemWin32::DescendantWindows(WindowHandle parent) {
  std::vector<WindowHandle> windows;
  // Its result tells nothing: FALSE also comes back for a window without children.
  EnumChildWindows(ToHwnd(parent), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::wstring WindowSystemWin32::ClassName(WindowHandle window) {
  wchar_t buffer[kNameBuffer] = {};
  GetClassNameW(ToHwnd(window), buffer, kNameBuffer - 1);
  buffer[kNameBuffer - 1] = L'\0';
  return std::wstring(buffer);
}

std::wstring WindowSystemWin32::Title(WindowHandle window) {
  wchar_t buffer[kNameBuffer] = {};
  GetWindowTextW(ToHwnd(window), buffer, kNameBuffer - 1);
  buffer[kNameBuffer - 1] = L'\0';
  return std::wstring(buffer);
}

int WindowSystemWin32::ControlId(WindowHandle window) {
  return GetDlgCtrlID(ToHwnd(window));
}

uint32_t WindowSystemWin32::ProcessId(WindowHandle window) {
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(ToHwnd(window), &processId)) return 0;
  return processId;
}

// In the window's own pixels: the thread takes the window's awareness, as
// the grab does.
Rect WindowSystemWin32::ClientRect(WindowHandle window) {
  const ThreadDpiScope dpi(ToHwnd(window));
  RECT rc = Empty();
  if (!GetClientRect(ToHwnd(window), &rc)) rc = Empty();
  return FromRect(rc);
}

// In physical screen pixels, whatever this program's awareness.
Rect WindowSystemWin32::WindowRect(WindowHandle window) {
  const ThreadDpiScope dpi(ThreadDpiScope::PerMonitor{});
  RECT rc = Empty();
  if (!GetWindowRect(ToHwnd(window), &rc)) rc = Empty();
  return FromRect(rc);
}

bool WindowSystemWin32::IsWindow(WindowHandle window) {
  return ::IsWindow(ToHwnd(window)) != FALSE;
}

bool WindowSystemWin32::IsWindowVisible(WindowHandle window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

WindowHandle WindowSystemWin32::DesktopWindow() {
  return FromHwnd(GetDesktopWindow());
}

WindowHandle WindowSystemWin32::Parent(WindowHandle window) {
  return FromHwnd(GetParent(ToHwnd(window)));
}

WindowHandle WindowSystemWin32::Root(WindowHandle window) {
  return FromHwnd(GetAncestor(ToHwnd(window), GA_ROOT));
}

void WindowSystemWin32::ShowWindow(WindowHandle window, bool visible, bool activate) {
  ::ShowWindow(ToHwnd(window), !visible ? SW_HIDE : activate ? SW_SHOW : SW_SHOWNA);
}

WindowHandle WindowSystemWin32::WindowFromPoint(Point screen) {
  return FromHwnd(::WindowFromPhysicalPoint(POINT{screen.x, screen.y}));
}

WindowHandle WindowSystemWin32::ChildWindowFromPoint(WindowHandle parent, Point client) {
  const ThreadDpiScope dpi(ToHwnd(parent));
  return FromHwnd(::ChildWindowFromPoint(ToHwnd(parent), POINT{client.x, client.y}));
}

// Client points are in the window's own pixels, screen points physical: the
// point is moved in the window's awareness and converted between the two.
Point WindowSystemWin32::ClientToScreen(WindowHandle window, Point client) {
  POINT p{client.x, client.y};
  {
    const ThreadDpiScope dpi(ToHwnd(window));
    ::ClientToScreen(ToHwnd(window), &p);
  }
  p = LogicalToPhysical(ToHwnd(window), p);
  return {p.x, p.y};
}

Point WindowSystemWin32::ScreenToClient(WindowHandle window, Point screen) {
  POINT p = PhysicalToLogical(ToHwnd(window), POINT{screen.x, screen.y});
  const ThreadDpiScope dpi(ToHwnd(window));
  ::ScreenToClient(ToHwnd(window), &p);
  return {p.x, p.y};
}

Point WindowSystemWin32::CursorPos() {
  POINT p{};
  ::GetPhysicalCursorPos(&p);
  return {p.x, p.y};
}

bool WindowSystemWin32::IsPrimaryButtonDown() {
  const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(button) & 0x8000) != 0;
}

}  // namespace lorik
