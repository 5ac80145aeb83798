// A target window with a child window for the end-to-end runs: a grey
// top-level window "Lorik e2e parent" whose child "Lorik e2e child" (control
// id 0) is a white page with a dark block 20 pixels inside it, at 40, 40 of
// the parent's client area and 240 by 160 pixels large.
#include <windows.h>

namespace {

LRESULT CALLBACK Paint(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, COLORREF page,
                       bool block) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH background = CreateSolidBrush(page);
    FillRect(dc, &client, background);
    DeleteObject(background);
    if (block) {
      HBRUSH content = CreateSolidBrush(RGB(40, 80, 120));
      RECT inner{20, 20, client.right - 20, client.bottom - 20};
      FillRect(dc, &inner, content);
      DeleteObject(content);
    }
    EndPaint(window, &ps);
    return 0;
  }
  if (msg == WM_DESTROY && GetParent(window) == nullptr) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK ParentProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Paint(window, msg, wParam, lParam, RGB(192, 192, 192), false);
}

LRESULT CALLBACK ChildProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Paint(window, msg, wParam, lParam, RGB(255, 255, 255), true);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpfnWndProc = ParentProc;
  wc.lpszClassName = L"LorikE2eParent";
  RegisterClassW(&wc);
  wc.lpfnWndProc = ChildProc;
  wc.lpszClassName = L"LorikE2eChild";
  RegisterClassW(&wc);
  RECT r{0, 0, 320, 240};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = CreateWindowW(L"LorikE2eParent", L"Lorik e2e parent",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 820, 600, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  CreateWindowW(L"LorikE2eChild", L"Lorik e2e child", WS_CHILD | WS_VISIBLE, 40, 40, 240, 160,
                window, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
