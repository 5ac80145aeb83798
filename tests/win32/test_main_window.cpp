// Lorik.exe's main window as another program sees it: the thumbnail command
// hides and shows the thumbnail area, the right click opens the context menu
// with the folder items of the multi-shot profiles, and the version command
// opens the About dialog.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: commctrl.h depends on it.
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resource.h"
#include "support/LorikProcess.h"

namespace lorik::testing {
namespace {

constexpr int kProgressBar = 1031;
constexpr int kThumbnail = 1032;
constexpr int kMainButton = 1073;
constexpr WPARAM kThumbnailCommand = 32776;
constexpr WPARAM kVersionCommand = 32777;

struct Geometry {
  RECT window;
  RECT thumbnail;
  RECT progress;
  RECT button;
  bool thumbnailVisible;
};

Geometry Measure(HWND main) {
  Geometry g{};
  GetWindowRect(main, &g.window);
  GetWindowRect(GetDlgItem(main, kThumbnail), &g.thumbnail);
  GetWindowRect(GetDlgItem(main, kProgressBar), &g.progress);
  GetWindowRect(GetDlgItem(main, kMainButton), &g.button);
  g.thumbnailVisible = IsWindowVisible(GetDlgItem(main, kThumbnail)) != FALSE;
  return g;
}

int Height(const RECT& r) {
  return r.bottom - r.top;
}
int Width(const RECT& r) {
  return r.right - r.left;
}

// Waits until the thumbnail control has the given visibility and the window
// has settled after the resize.
Geometry WaitForThumbnail(HWND main, bool visible) {
  for (int waited = 0; waited < 5000; waited += 50) {
    if ((IsWindowVisible(GetDlgItem(main, kThumbnail)) != FALSE) == visible) break;
    Sleep(50);
  }
  Sleep(300);
  return Measure(main);
}

::testing::AssertionResult SameRect(const RECT& a, const RECT& b) {
  if (EqualRect(&a, &b)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << a.left << "," << a.top << ")-(" << a.right << "," << a.bottom << ") vs ("
         << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

void CloseMainWindow(const LorikProcess& lorik) {
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(lorik.WaitForExit(), 0);
}

const std::string kQuietIni =
    "[General]\r\nCheck on exit=0\r\n"
    "[Capture]\r\nPeriod between each capture=100\r\n";

TEST(LorikMainWindow, HidingTheThumbnailTakesItsHeightOffTheTopOfTheWindow) {
  LorikFolder folder(L"lorik-thumb");
  folder.WriteIni(kQuietIni);
  LorikProcess lorik(folder.Exe());
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  Sleep(300);
  const Geometry shown = Measure(main);
  ASSERT_TRUE(shown.thumbnailVisible) << "the thumbnail is shown by default";
  const int thumb = Height(shown.thumbnail);
  ASSERT_GT(thumb, 0);

  PostMessageW(main, WM_COMMAND, kThumbnailCommand, 0);
  const Geometry hidden = WaitForThumbnail(main, false);
  EXPECT_FALSE(hidden.thumbnailVisible);
  EXPECT_EQ(hidden.window.left, shown.window.left);
  EXPECT_EQ(hidden.window.top, shown.window.top);
  EXPECT_EQ(Width(hidden.window), Width(shown.window));
  EXPECT_EQ(Height(hidden.window), Height(shown.window) - thumb);
  for (auto [before, after, name] : {std::tuple{shown.progress, hidden.progress, "progress bar"},
                                     std::tuple{shown.button, hidden.button, "main button"}}) {
    RECT expected = before;
    OffsetRect(&expected, 0, -thumb);
    EXPECT_TRUE(SameRect(after, expected)) << "the " << name << " did not move up by " << thumb;
  }

  PostMessageW(main, WM_COMMAND, kThumbnailCommand, 0);
  const Geometry again = WaitForThumbnail(main, true);
  EXPECT_TRUE(again.thumbnailVisible);
  EXPECT_TRUE(SameRect(again.window, shown.window)) << "the window size did not come back";
  EXPECT_TRUE(SameRect(again.thumbnail, shown.thumbnail));
  EXPECT_TRUE(SameRect(again.progress, shown.progress));
  EXPECT_TRUE(SameRect(again.button, shown.button));
  CloseMainWindow(lorik);
}

// The visible popup menu windows of the process.
std::vector<HWND> PopupMenus(DWORD pid) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (owner == s->pid && std::wstring(cls) == L"#32768" && IsWindowVisible(w))
          s->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForPopupMenu(DWORD pid, size_t count = 1) {
  for (int waited = 0; waited < 5000; waited += 50) {
    std::vector<HWND> menus = PopupMenus(pid);
    if (menus.size() >= count) return menus.front();
    Sleep(50);
  }
  return nullptr;
}

bool WaitForNoPopupMenu(DWORD pid) {
  for (int waited = 0; waited < 5000; waited += 50) {
    if (PopupMenus(pid).empty()) return true;
    Sleep(50);
  }
  return false;
}

// A right click as the main window sees it: its children hand WM_SETCURSOR up.
HWND OpenContextMenu(const LorikProcess& lorik, HWND main) {
  PostMessageW(main, WM_SETCURSOR, reinterpret_cast<WPARAM>(main),
               MAKELPARAM(HTCLIENT, WM_RBUTTONUP));
  return WaitForPopupMenu(lorik.Id());
}

// Keys reach the menu's own loop in the owning thread, as typed keys would.
// The items cannot be read from here: under Wine a menu handle of another
// process answers GetMenuItemCount with -1, so each item is chosen instead and
// known by what it does.
void Press(HWND menu, UINT key, int times = 1) {
  for (int i = 0; i < times; ++i) {
    PostMessageW(menu, WM_KEYDOWN, key, 1);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
    Sleep(150);
  }
}

const wchar_t kNoFolder[] = L"フォルダを開けませんでした：";

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

// Every folder item names its own folder in the test's folder: m02 is missing
// at start (its profile has no key, so the start-up check leaves it alone), and
// m03 lies under a file, where no folder can be made.
std::string FolderIni(const LorikFolder& folder) {
  const std::string dir = Utf8(folder.Dir().wstring());
  std::ofstream(folder.Dir() / L"blocked") << "a file";
  std::string ini = "[General]\r\nCheck on exit=0\r\nMaximum multi shot no=3\r\n";
  for (const auto& [section, sub] : std::initializer_list<std::pair<const char*, const char*>>{
           {"SingleShot", "single"},
           {"MultiShot01", "m01"},
           {"MultiShot02", "m02"},
           {"MultiShot03", "blocked\\m03"}}) {
    ini += std::string("[") + section + "]\r\nFolder=" + dir + "\\" + sub + "\r\n";
  }
  return ini + "[Capture]\r\nPeriod between each capture=100\r\n";
}

// A visible top-level window of another process with exactly this title.
HWND OtherProgramsWindow(DWORD notPid, const std::wstring& title) {
  for (HWND w = FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); w != nullptr;
       w = FindWindowExW(nullptr, w, nullptr, title.c_str())) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != notPid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// A folder item opens the folder its shots go to in the shell's folder
// window, making it first when it is missing; one that cannot be made is told.
TEST(LorikMainWindow, FolderSubmenuListsTheMultiShotProfilesBetweenLastSavedAndSingleShot) {
  LorikFolder folder(L"lorik-menu");
  folder.WriteIni(FolderIni(folder));
  LorikProcess lorik(folder.Exe());
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_FALSE(std::filesystem::exists(folder.Dir() / L"m02"));

  // Positions below the first item of the folder submenu ("最後に保存したフォルダ").
  const struct {
    int position;
    std::filesystem::path folder;
    bool opens;
  } cases[] = {{1, folder.Dir() / L"m01", true},
               {2, folder.Dir() / L"m02", true},
               {3, folder.Dir() / L"blocked" / L"m03", false},
               {4, folder.Dir() / L"single", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.folder.wstring()));
    HWND menu = OpenContextMenu(lorik, main);
    ASSERT_NE(menu, nullptr) << "no context menu";
    Press(menu, VK_DOWN);   // "フォルダを開く"
    Press(menu, VK_RIGHT);  // opens the folder submenu on its first item
    ASSERT_NE(WaitForPopupMenu(lorik.Id(), 2), nullptr) << "the folder submenu did not open";
    Press(menu, VK_DOWN, c.position);
    Press(menu, VK_RETURN);
    if (c.opens) {
      // The shell's folder window is titled with the folder's name.
      HWND shown = nullptr;
      for (int waited = 0; waited < 15000 && shown == nullptr; waited += 100) {
        shown = OtherProgramsWindow(lorik.Id(), c.folder.filename().wstring());
        if (shown == nullptr) Sleep(100);
      }
      ASSERT_NE(shown, nullptr) << "no folder window opened";
      EXPECT_TRUE(std::filesystem::is_directory(c.folder));
      EXPECT_EQ(lorik.Dialogs().size(), 1u) << "a message opened with the folder";
      PostMessageW(shown, WM_CLOSE, 0, 0);
      for (int waited = 0; waited < 5000 && IsWindow(shown); waited += 50) Sleep(50);
    } else {
      HWND box = lorik.WaitForMessage(kNoFolder + c.folder.wstring(), 5000);
      ASSERT_NE(box, nullptr) << "no message about the folder";
      Dismiss(box);
      for (int waited = 0; waited < 5000 && lorik.Dialogs().size() > 1; waited += 50) Sleep(50);
    }
    EXPECT_TRUE(PopupMenus(lorik.Id()).empty());
  }
  CloseMainWindow(lorik);
}

TEST(LorikMainWindow, ContextMenuClosesWithoutACommand) {
  LorikFolder folder(L"lorik-menu-cancel");
  folder.WriteIni(FolderIni(folder));
  LorikProcess lorik(folder.Exe());
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  const Geometry before = Measure(main);
  for (bool byCancelMode : {false, true}) {
    SCOPED_TRACE(byCancelMode ? "WM_CANCELMODE" : "Escape");
    HWND menu = OpenContextMenu(lorik, main);
    ASSERT_NE(menu, nullptr) << "no context menu";
    Press(menu, VK_DOWN);
    if (byCancelMode) {
      PostMessageW(main, WM_CANCELMODE, 0, 0);
    } else {
      Press(menu, VK_ESCAPE);
    }
    EXPECT_TRUE(WaitForNoPopupMenu(lorik.Id())) << "the menu stayed open";
    Sleep(300);
    EXPECT_EQ(lorik.Dialogs().size(), 1u) << "closing the menu ran a command";
  }
  const Geometry after = Measure(main);
  EXPECT_TRUE(SameRect(after.window, before.window));
  EXPECT_TRUE(after.thumbnailVisible);
  CloseMainWindow(lorik);
}

TEST(LorikMainWindow, ContextMenuItemsRunTheirCommands) {
  LorikFolder folder(L"lorik-menu-items");
  folder.WriteIni(kQuietIni);
  LorikProcess lorik(folder.Exe());
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);

  // Third item: the thumbnail command.
  HWND menu = OpenContextMenu(lorik, main);
  ASSERT_NE(menu, nullptr) << "no context menu";
  Press(menu, VK_DOWN, 3);
  Press(menu, VK_RETURN);
  EXPECT_FALSE(WaitForThumbnail(main, false).thumbnailVisible);

  // Sixth item: the version command.
  menu = OpenContextMenu(lorik, main);
  ASSERT_NE(menu, nullptr) << "no context menu";
  Press(menu, VK_DOWN, 6);
  Press(menu, VK_RETURN);
  HWND about = lorik.WaitFor([](HWND w) { return GetDlgItem(w, 1075) != nullptr; }, 5000);
  ASSERT_NE(about, nullptr) << "the version item did not open the About dialog";
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_NE(lorik.WaitFor([](HWND w) { return GetDlgItem(w, 1075) == nullptr; }), nullptr);
  CloseMainWindow(lorik);
}

TEST(LorikMainWindow, VersionCommandOpensTheAboutDialog) {
  LorikFolder folder(L"lorik-version");
  folder.WriteIni(kQuietIni);
  LorikProcess lorik(folder.Exe());
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kVersionCommand, 0);
  HWND about = lorik.WaitFor([](HWND w) { return GetDlgItem(w, 1075) != nullptr; }, 5000);
  ASSERT_NE(about, nullptr) << "the About dialog did not open";
  wchar_t caption[64] = {};
  GetWindowTextW(about, caption, 64);
  EXPECT_STREQ(caption, L"Lorik について");
  wchar_t text[128] = {};
  GetDlgItemTextW(about, 1075, text, 128);
  EXPECT_EQ(std::wstring(text).rfind(L"Lorik Version ", 0), 0u) << "version text not set";
  // Modal: the main window takes no input while it is open.
  EXPECT_FALSE(IsWindowEnabled(main));
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_NE(lorik.WaitFor([](HWND w) { return GetDlgItem(w, 1075) == nullptr; }), nullptr);
  // The owner is enabled again once the dialog's loop has ended.
  for (int waited = 0; waited < 5000 && !IsWindowEnabled(main); waited += 50) Sleep(50);
  EXPECT_TRUE(IsWindowEnabled(main));
  CloseMainWindow(lorik);
}

// Opens the context menu and chooses its item at `position` (1 is the first).
bool ChooseContextMenuItem(const LorikProcess& lorik, HWND main, int position) {
  HWND menu = OpenContextMenu(lorik, main);
  if (menu == nullptr) return false;
  Press(menu, VK_DOWN, position);
  Press(menu, VK_RETURN);
  return true;
}

HWND WaitForSettings(const LorikProcess& lorik) {
  return lorik.WaitFor([](HWND w) { return GetDlgItem(w, IDC_TAB_SETTING) != nullptr; }, 5000);
}

TEST(LorikMainWindow, SettingsItemOpensTheSettingsOnTheirFirstTabWithTheMenuClosed) {
  LorikFolder folder(L"lorik-menu-settings");
  folder.WriteIni(kQuietIni);
  LorikProcess lorik(folder.Exe());
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(ChooseContextMenuItem(lorik, main, 5)) << "no context menu";  // "設定..."
  HWND settings = WaitForSettings(lorik);
  ASSERT_NE(settings, nullptr) << "the settings item did not open the settings";
  EXPECT_EQ(SendDlgItemMessageW(settings, IDC_TAB_SETTING, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_FALSE(IsWindowEnabled(main));
  // No context menu while the settings are open.
  PostMessageW(main, WM_SETCURSOR, reinterpret_cast<WPARAM>(main),
               MAKELPARAM(HTCLIENT, WM_RBUTTONUP));
  Sleep(500);
  EXPECT_TRUE(PopupMenus(lorik.Id()).empty()) << "a menu opened over the settings";

  PostMessageW(settings, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  for (int waited = 0; waited < 5000 && IsWindow(settings); waited += 50) Sleep(50);
  EXPECT_FALSE(IsWindow(settings));
  HWND menu = OpenContextMenu(lorik, main);
  EXPECT_NE(menu, nullptr) << "no context menu after the settings closed";
  if (menu != nullptr) {
    Press(menu, VK_ESCAPE);
    WaitForNoPopupMenu(lorik.Id());
  }
  CloseMainWindow(lorik);
}

}  // namespace
}  // namespace lorik::testing
