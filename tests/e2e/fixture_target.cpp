// A target window for the end-to-end runs: a white page whose content block,
// 20 pixels inside the client area, changes colour with every paint, so that
// consecutive captures differ. With a colour as RRGGBB on the command line the
// block keeps that colour instead, so that a capture can be checked pixel by pixel.
// With "black-dc" it behaves like a page drawn through the compositor: what it
// paints into its window is all 0x00000000, and only WM_PRINTCLIENT (which
// PrintWindow sends) gets the page.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

namespace {

constexpr UINT_PTR kRepaintTimer = 1;
int frame = 0;
std::optional<COLORREF> fixedColour;
bool blackWindowDc = false;

std::optional<COLORREF> ParseColour(const wchar_t* text) {
  while (*text == L' ') ++text;
  wchar_t* end = nullptr;
  const unsigned long rgb = std::wcstoul(text, &end, 16);
  if (end != text + 6) return std::nullopt;
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void PaintPage(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HBRUSH block = CreateSolidBrush(fixedColour ? *fixedColour
                                              : RGB((frame * 37) & 0xFF, (frame * 91) & 0xFF, 128));
  RECT content{20, 20, client.right - 20, client.bottom - 20};
  FillRect(dc, &content, block);
  DeleteObject(block);
}

LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      ++frame;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (blackWindowDc) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      } else {
        PaintPage(window, dc);
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintPage(window, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  blackWindowDc = std::wcsstr(commandLine, L"black-dc") != nullptr;
  fixedColour = ParseColour(commandLine);
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = L"LorikE2eTarget";
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&wc);
  RECT r{0, 0, 320, 240};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window =
      CreateWindowW(L"LorikE2eTarget", L"Lorik e2e target", WS_OVERLAPPEDWINDOW, 400, 300,
                    r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  SetTimer(window, kRepaintTimer, 40, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
