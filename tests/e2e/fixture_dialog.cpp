// Reads and drives the controls of another program's dialog, for the end-to-end
// scripts: fixture_dialog.exe <verb> <window title> [control id] [value]. A control is
// the visible descendant of the top-level window with that id, so that of the pages
// of a tabbed dialog only the shown one counts. Texts go to standard output; the exit
// code is 0 on success (for "enabled": 0 enabled, 1 disabled), 2 when nothing matched.
// "move <title> x y" moves a top-level window instead, "close <title> 0" asks it
// to close, and "tab <title> <id>" prints the selected index of a tab control.
// "message <title>" prints the text of a message box with that title, and
// "answer <title> <button id>" presses a button of it; both skip other windows
// of the same title, such as a main window that is being destroyed.
// "front <title>" answers 0 if such a message box is the foreground window, 1 if it
// is open behind another, 2 if none is open; "default <title>" prints the screen
// centre of its default button, the one Return presses.
// "watch <title> <stop file>" prints "watching", then looks at the message boxes
// of that title every 10 ms until the file exists (two minutes at most); at the
// end it prints "most <n>", the most that were open at once, and "box<TAB><text>"
// for each box seen, in the order they opened, its line breaks as tabs, then
// "end": boxes that come and go between two looks of a script are seen too.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::wstring> Arguments(const wchar_t* line) {
  std::vector<std::wstring> args;
  std::wstring current;
  bool quoted = false, any = false;
  for (const wchar_t* p = line; *p != 0; ++p) {
    if (*p == L'"') {
      quoted = !quoted;
      any = true;
    } else if (*p == L' ' && !quoted) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += *p;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

struct Search {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK FindControl(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  if (GetDlgCtrlID(window) == search->id && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

void Print(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
  utf8 += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
            nullptr);
}

int CountWindows(const std::wstring& title) {
  int count = 0;
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, nullptr, title.c_str())) != nullptr) {
    if (IsWindowVisible(w)) ++count;
  }
  return count;
}

// The static text that a message box shows has this id.
constexpr int kMessageBoxText = 0xFFFF;

bool IsMessageBox(HWND w) {
  Search search{kMessageBoxText};
  if (IsWindowVisible(w)) EnumChildWindows(w, FindControl, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

HWND FindMessageBox(const std::wstring& title) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, nullptr, title.c_str())) != nullptr) {
    if (IsMessageBox(w)) return w;
  }
  return nullptr;
}

std::wstring MessageText(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, kMessageBoxText, text, 1024);
  return text;
}

int WatchMessageBoxes(const std::wstring& title, const std::wstring& stopFile) {
  std::vector<std::pair<HWND, std::wstring>> seen;
  size_t most = 0;
  Print(L"watching");
  const ULONGLONG end = GetTickCount64() + 120000;
  while (GetTickCount64() < end &&
         GetFileAttributesW(stopFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
    size_t open = 0;
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, nullptr, title.c_str())) != nullptr) {
      if (!IsMessageBox(w)) continue;
      ++open;
      bool known = false;
      for (const auto& box : seen) known = known || box.first == w;
      if (!known) seen.emplace_back(w, MessageText(w));
    }
    if (open > most) most = open;
    Sleep(10);
  }
  Print(L"most " + std::to_wstring(most));
  for (auto& box : seen) {
    std::wstring line;
    for (wchar_t c : box.second) {
      if (c != L'\r') line += c == L'\n' ? L'\t' : c;
    }
    Print(L"box\t" + line);
  }
  Print(L"end");
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  const std::vector<std::wstring> args = Arguments(commandLine);
  if (args.size() < 2) return 2;
  const std::wstring& verb = args[0];
  const std::wstring& title = args[1];
  if (verb == L"count") {
    Print(std::to_wstring(CountWindows(title)));
    return 0;
  }
  if (verb == L"active") {
    wchar_t text[256] = {};
    GetWindowTextW(GetForegroundWindow(), text, 256);
    Print(text);
    return 0;
  }
  if (verb == L"front") {
    const HWND box = FindMessageBox(title);
    if (box == nullptr) return 2;
    return box == GetForegroundWindow() ? 0 : 1;
  }
  if (verb == L"default") {
    const HWND box = FindMessageBox(title);
    if (box == nullptr) return 2;
    const HWND button = GetDlgItem(box, LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0)));
    if (button == nullptr) return 2;
    RECT r{};
    GetWindowRect(button, &r);
    Print(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
    return 0;
  }
  if (verb == L"watch") {
    return args.size() < 3 ? 2 : WatchMessageBoxes(title, args[2]);
  }
  if (verb == L"message" || verb == L"answer") {
    const HWND box = FindMessageBox(title);
    if (box == nullptr) return 2;
    if (verb == L"answer") {
      if (args.size() < 3) return 2;
      return PostMessageW(box, WM_COMMAND, MAKEWPARAM(std::stoi(args[2]), BN_CLICKED), 0) ? 0 : 2;
    }
    Print(MessageText(box));
    return 0;
  }
  HWND top = FindWindowW(nullptr, title.c_str());
  if (top == nullptr || args.size() < 3) return 2;
  if (verb == L"move" && args.size() > 3) {
    // Through the window system: Wine does not follow X-side moves of its windows.
    SetWindowPos(top, nullptr, std::stoi(args[2]), std::stoi(args[3]), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (verb == L"close") {
    return PostMessageW(top, WM_CLOSE, 0, 0) ? 0 : 2;
  }
  const int id = std::stoi(args[2]);
  if (verb == L"command") {
    PostMessageW(top, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return 0;
  }
  Search search{id};
  EnumChildWindows(top, FindControl, reinterpret_cast<LPARAM>(&search));
  HWND control = search.found;
  if (control == nullptr) return 2;
  DWORD_PTR result = 0;
  if (verb == L"text") {
    wchar_t text[512] = {};
    SendMessageTimeoutW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        &result);
    Print(text);
  } else if (verb == L"settext" && args.size() > 3) {
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[3].c_str()),
                        SMTO_BLOCK, 2000, &result);
  } else if (verb == L"enabled") {
    return IsWindowEnabled(control) ? 0 : 1;
  } else if (verb == L"click") {
    // Posted: the click may open a modal window that would hold a sent message.
    PostMessageW(control, BM_CLICK, 0, 0);
  } else if (verb == L"hotkey" && args.size() > 3) {
    SendMessageTimeoutW(control, HKM_SETHOTKEY, static_cast<WPARAM>(std::stoi(args[3])), 0,
                        SMTO_BLOCK, 2000, &result);
  } else if (verb == L"select" && args.size() > 3) {
    SendMessageTimeoutW(control, CB_SETCURSEL, static_cast<WPARAM>(std::stoi(args[3])), 0,
                        SMTO_BLOCK, 2000, &result);
    PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
  } else if (verb == L"rect") {
    RECT r{};
    GetWindowRect(control, &r);
    Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
          std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom));
  } else if (verb == L"tab") {
    SendMessageTimeoutW(control, TCM_GETCURSEL, 0, 0, SMTO_BLOCK, 2000, &result);
    Print(std::to_wstring(static_cast<int>(result)));
  } else if (verb == L"center") {
    RECT r{};
    GetWindowRect(control, &r);
    Print(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
  } else {
    return 2;
  }
  return 0;
}
