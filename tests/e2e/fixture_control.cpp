// Looks at and changes a control of another program's window for the
// end-to-end runs, where xdotool sees only top-level windows:
//   fixture_control.exe rect <window title> <control id>   prints "x y width height" on the screen
//   fixture_control.exe text <window title> <control id>   prints the text, UTF-8
//   fixture_control.exe set <window title> <control id> <text>
//   fixture_control.exe tab <window title> <control id>    prints the selected tab's index
//   fixture_control.exe close <window title> 0              asks the window to close, once
// The control is searched among all descendants of the first visible
// top-level window with that title. Exit code 1 when it is not there.
#include <windows.h>
// windows.h first: commctrl.h depends on it.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct Search {
  const wchar_t* title;
  int id;
  HWND top = nullptr;
  HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<Search*>(data);
  if (GetDlgCtrlID(window) == search.id && IsWindowVisible(window)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTop(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<Search*>(data);
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 511);
  if (!IsWindowVisible(window) || std::wcscmp(title, search.title) != 0) return TRUE;
  EnumChildWindows(window, FindChild, data);
  if (search.found == nullptr) return TRUE;
  search.top = window;
  return FALSE;
}

void PrintUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  std::printf("%s\n", bytes.c_str());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int argc = __argc;
  wchar_t** argv = __wargv;
  if (argc < 4 || argv == nullptr) return 2;
  const std::wstring command = argv[1];
  if (command == L"close") {
    HWND window = FindWindowW(nullptr, argv[2]);
    return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  Search search{argv[2], _wtoi(argv[3])};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
  HWND control = search.found;
  if (control == nullptr) return 1;
  DWORD_PTR result = 0;
  if (command == L"rect") {
    RECT r{};
    GetWindowRect(control, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  } else if (command == L"text") {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &result);
    PrintUtf8(text);
  } else if (command == L"set" && argc >= 5) {
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_BLOCK, 5000,
                        &result);
  } else if (command == L"tab") {
    SendMessageTimeoutW(control, TCM_GETCURSEL, 0, 0, SMTO_BLOCK, 5000, &result);
    std::printf("%d\n", static_cast<int>(result));
  } else {
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
