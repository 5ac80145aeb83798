// The settings dialog on real windows: the host's child pages and tabs, and a
// drag of the window picker onto a child window of another top-level window.
#include <windows.h>
// windows.h first: the headers below depend on it.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "resource.h"
#include "settingsui/Setting.h"
#include "support/SettingServicesWin32.h"
#include "support/TabText.h"

namespace lorik {
namespace {

HINSTANCE Self() {
  return GetModuleHandleW(nullptr);
}

HWND WindowOf(const ui::Dialog& dialog) {
  return reinterpret_cast<HWND>(dialog.View()->Handle().value);
}

bool HasVisibleStyle(HWND window) {
  return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::wstring TextOf(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 255);
  return text;
}

using Ports = SettingPortsWin32;

void SelectTab(HWND dialog, int index) {
  HWND tab = GetDlgItem(dialog, IDC_TAB_SETTING);
  SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  NMHDR header{tab, IDC_TAB_SETTING, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(dialog, WM_NOTIFY, IDC_TAB_SETTING, reinterpret_cast<LPARAM>(&header));
}

TEST(SettingDialog, HostPlacesFourChildPagesOverTheTabsAndSwitchesThem) {
  Ports ports;
  CSetting setting(ports.Get());
  HWND dialog = OpenSettingsQuietly(ports.host, setting, 120);
  ASSERT_NE(dialog, nullptr);
  HWND tab = GetDlgItem(dialog, IDC_TAB_SETTING);

  ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 4);
  const wchar_t* labels[] = {L"キャプチャ", L"ホットキー", L"保存", L"その他"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(testing::TabItemText(tab, i), labels[i]);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);

  const std::array<ui::Dialog*, 4> pages{&setting.capturePage, &setting.hotkeyPage,
                                         &setting.savePage, &setting.miscPage};
  // Every page fills the tab's display area, below the row of tabs.
  RECT display{};
  GetWindowRect(tab, &display);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&display), 2);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  RECT firstTab{};
  SendMessageW(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&firstTab));
  MapWindowPoints(tab, dialog, reinterpret_cast<POINT*>(&firstTab), 2);
  ASSERT_GE(display.top, firstTab.bottom);
  for (ui::Dialog* page : pages) {
    HWND window = WindowOf(*page);
    EXPECT_EQ(GetParent(window), dialog);
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(EqualRect(&r, &display))
        << r.left << "," << r.top << "-" << r.right << "," << r.bottom << " vs " << display.left
        << "," << display.top << "-" << display.right << "," << display.bottom;
    EXPECT_EQ(HasVisibleStyle(window), page == &setting.capturePage);
  }
  EXPECT_EQ(TextOf(WindowOf(setting.capturePage), IDC_EDIT_PERIOD), L"120");

  SelectTab(dialog, 2);
  for (ui::Dialog* page : pages)
    EXPECT_EQ(HasVisibleStyle(WindowOf(*page)), page == &setting.savePage);

  SetDlgItemTextW(WindowOf(setting.capturePage), IDC_EDIT_PERIOD, L"75");
  DestroyWindow(dialog);
  EXPECT_FALSE(setting.capturePage.IsOpen());
  EXPECT_FALSE(setting.miscPage.IsOpen());
  EXPECT_EQ(setting.capturePage.capture.periodBetweenEachCapture, 75u);
}

LRESULT CALLBACK PlainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, msg, wParam, lParam);
}

TEST(SettingDialog, PickerReleasedOverAChildWindowLocksOnToIt) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = Self();
  wc.lpszClassName = L"LorikPickerTest";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, L"LorikPickerTest", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80,
                              nullptr, nullptr, Self(), nullptr);
  HWND target =
      CreateWindowExW(WS_EX_TOPMOST, L"LorikPickerTest", L"picker target", WS_POPUP | WS_VISIBLE,
                      600, 400, 200, 150, nullptr, nullptr, Self(), nullptr);
  HWND child = CreateWindowExW(0, L"LorikPickerTest", L"picker child", WS_CHILD | WS_VISIBLE, 50,
                               40, 80, 60, target, nullptr, Self(), nullptr);
  ASSERT_NE(child, nullptr);

  Ports ports;
  CSetting setting(ports.Get());
  // A depth the save page accepts: any other shows its message box as it opens.
  setting.savePage.save.imageBitDepth = 24;
  ASSERT_TRUE(ports.host.CreateModeless(setting, WindowHandle{reinterpret_cast<uintptr_t>(main)}));
  HWND dialog = WindowOf(setting);
  ShowWindow(dialog, SW_SHOW);
  HWND page = WindowOf(setting.capturePage);
  HWND button = GetDlgItem(page, IDC_BUTTON_DRAG);
  ASSERT_NE(button, nullptr);
  EXPECT_NE(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0), 0);

  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), button);
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(GetCursor(), LoadCursorW(Self(), MAKEINTRESOURCEW(IDC_CURSOR_DRAG)));

  POINT drop{600 + 50 + 40, 400 + 40 + 30};
  ScreenToClient(button, &drop);
  SendMessageW(button, WM_LBUTTONUP, 0,
               MAKELPARAM(static_cast<WORD>(static_cast<short>(drop.x)),
                          static_cast<WORD>(static_cast<short>(drop.y))));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(setting.capturePage.picker.droppedWindow,
            WindowHandle{reinterpret_cast<uintptr_t>(child)});
  EXPECT_EQ(setting.capturePage.picker.dropPoint, (Point{40, 30}));
  const CaptureSettings& capture = setting.capturePage.capture;
  EXPECT_EQ(capture.title, L"picker child");
  EXPECT_EQ(capture.className, L"LorikPickerTest");
  EXPECT_EQ(capture.controlId, -1);
  EXPECT_EQ(capture.targetWidth, 80);
  EXPECT_EQ(capture.targetHeight, 60);
  EXPECT_EQ(capture.appName, L"test_settings_dialog.exe");
  EXPECT_EQ(TextOf(page, IDC_EDIT_TITLE), L"picker child");
  EXPECT_EQ(TextOf(page, IDC_EDIT_STATUS), L"ウィンドウをロックオン");

  DestroyWindow(dialog);
  DestroyWindow(target);
  DestroyWindow(main);
}

}  // namespace
}  // namespace lorik
