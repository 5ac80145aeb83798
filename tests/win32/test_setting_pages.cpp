// The save, hotkey and other pages and the meta-character list on their real templates
// with the real dialog host; screenshots of each go to the build folder.
#include <windows.h>
// windows.h first: the headers below depend on it.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ImageType.h"
#include "platform/MessageBox.h"
#include "resource.h"
#include "settings/SaveFolder.h"
#include "settingsui/MetaHelp.h"
#include "settingsui/SettingHotkey.h"
#include "settingsui/SettingMisc.h"
#include "settingsui/SettingSave.h"
#include "support/RecordedMessages.h"
#include "support/SettingServicesWin32.h"
#include "win32/ImageEncoderGdiPlus.h"
#include "win32/ScreenGrabWin32.h"
#include "win32/ShellWin32.h"

namespace lorik {
namespace {

HWND WindowOf(const ui::Dialog& dialog) {
  return dialog.View() != nullptr ? reinterpret_cast<HWND>(dialog.View()->Handle().value) : nullptr;
}

void PumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::wstring Text(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

std::vector<std::wstring> ComboItems(HWND dialog, int id) {
  std::vector<std::wstring> items;
  const auto count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(text));
    items.emplace_back(text);
  }
  return items;
}

// The user picks a combo entry: the selection changes and the list tells its dialog.
void PickCombo(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Click(HWND dialog, int id) {
  SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
}

// Typing into an edit field: the whole text replaced key by key.
void Type(HWND dialog, int id, const std::wstring& text) {
  HWND edit = GetDlgItem(dialog, id);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CLEAR, 0, 0);
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}

std::wstring ExePath() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return exe;
}

std::wstring ScreenshotPath(const wchar_t* name) {
  std::wstring folder = ExePath();
  folder.resize(folder.find_last_of(L'\\'));  // build/win/tests
  folder.resize(folder.find_last_of(L'\\'));  // build/win
  folder += L"\\screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\" + name + L".png";
}

// The window as the screen shows it, as a PNG file in the build folder.
void Screenshot(HWND window, const wchar_t* name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(300);
  RECT r{};
  GetWindowRect(window, &r);
  ScreenGrabWin32 grab;
  auto picture = grab.Grab({reinterpret_cast<uintptr_t>(GetDesktopWindow())},
                           Rect{r.left, r.top, r.right, r.bottom}, 24);
  ASSERT_NE(picture, nullptr) << "screenshot " << name;
  ImageEncoderGdiPlus encoder;
  auto png = encoder.Encode(*picture, ImageType::Png);
  ASSERT_TRUE(png.has_value());
  HANDLE file = CreateFileW(ScreenshotPath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, png->bytes.data(), static_cast<DWORD>(png->bytes.size()), &written, nullptr);
  CloseHandle(file);
  EXPECT_EQ(written, png->bytes.size());
}

// The grey hint an edit field holds for when it is empty; "<none>" without one.
std::wstring Cue(HWND dialog, int id) {
  wchar_t text[MAX_PATH] = {};
  if (!SendDlgItemMessageW(dialog, id, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(text), MAX_PATH))
    return L"<none>";
  return text;
}

// The grey level (0 black to 255 white) of the darkest pixel the screen shows
// inside a control's client area: black for ordinary text, the lighter grey of
// a cue, white when nothing is drawn.
int DarkestPixel(HWND control) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  PumpFor(200);
  RECT client{};
  GetClientRect(control, &client);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&client), 2);
  ScreenGrabWin32 grab;
  auto picture = grab.Grab({reinterpret_cast<uintptr_t>(GetDesktopWindow())},
                           Rect{client.left, client.top, client.right, client.bottom}, 24);
  if (picture == nullptr) return -1;
  int darkest = 255;
  for (int y = 0; y < picture->Height(); ++y) {
    const uint8_t* row = picture->TopDownRow(y);
    for (int x = 0; x < picture->Width(); ++x) {
      const uint8_t* bgr = row + 3 * x;
      darkest = std::min(darkest, (bgr[0] + bgr[1] + bgr[2]) / 3);
    }
  }
  return darkest;
}

// The settings dialog's frame, standing in for the host: the pages sit where the host
// puts them.
class Frame : public ui::Dialog {
 public:
  Frame() : Dialog(IDD_SETTING) {}
  std::function<void()> onInit;

 protected:
  bool OnInitDialog() override {
    if (onInit) onInit();
    return true;
  }
};

class SettingPagesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HWND w = WindowOf(frame)) DestroyWindow(w);
    PumpFor(50);
  }

  // The frame on screen with `page` inside it at the host's place.
  HWND OpenPage(ui::Dialog& page) {
    EXPECT_TRUE(services.host.CreateModeless(frame, {}));
    HWND frameWindow = WindowOf(frame);
    SetWindowPos(frameWindow, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(services.host.CreateModeless(page, frame.View()->Handle()));
    HWND pageWindow = WindowOf(page);
    SetWindowPos(pageWindow, nullptr, 12, 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    ShowWindow(frameWindow, SW_SHOW);
    SetForegroundWindow(frameWindow);
    PumpFor(100);
    return pageWindow;
  }

  RecordedMessages messages;
  SettingServicesWin32 services;
  SettingPorts ports = services.With(messages);
  Frame frame;
};

TEST_F(SettingPagesTest, SavePageFillsItsListsAndEstimatesAsTheFieldIsTyped) {
  CSettingSave page(ports);
  page.save = {4, 24, 100, 3, 60, true, 320, 240, false};
  HWND p = OpenPage(page);
  EXPECT_EQ(ComboItems(p, IDC_COMBO_IMAGETYPE),
            (std::vector<std::wstring>{L"bmp", L"gif", L"jpg", L"png", L"tif"}));
  EXPECT_EQ(ComboItems(p, IDC_COMBO_BITDEPTH), (std::vector<std::wstring>{L"24", L"32"}));
  EXPECT_EQ(SendDlgItemMessageW(p, IDC_COMBO_IMAGETYPE, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(Text(p, IDC_EDIT_CONV_MEMORY), L"120");
  EXPECT_EQ(Text(p, IDC_EDIT_SAVE_MEMORY), L"72");
  EXPECT_EQ(IsDlgButtonChecked(p, IDC_CHECK_PREVIEW), BST_CHECKED);
  Screenshot(WindowOf(frame), L"settings_save");

  Type(p, IDC_EDIT_CONV_BUFF, L"30");
  EXPECT_EQ(page.save.conversionBuffSize, 30);
  EXPECT_EQ(Text(p, IDC_EDIT_CONV_MEMORY), L"36");
  Type(p, IDC_EDIT_SAVE_BUFF, L"");
  EXPECT_EQ(page.save.saveBuffSize, 0);
  EXPECT_EQ(Text(p, IDC_EDIT_SAVE_MEMORY), L"0");

  PickCombo(p, IDC_COMBO_IMAGETYPE, 2);  // jpg
  EXPECT_EQ(page.save.imageType, 3);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_BITDEPTH)));
  EXPECT_EQ(Text(p, IDC_EDIT_CONV_MEMORY), L"6");
  PickCombo(p, IDC_COMBO_IMAGETYPE, 0);  // bmp
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_BITDEPTH)));
  PickCombo(p, IDC_COMBO_BITDEPTH, 1);
  EXPECT_EQ(page.save.imageBitDepth, 32);
  EXPECT_EQ(Text(p, IDC_EDIT_CONV_MEMORY), L"98");

  Type(p, IDC_EDIT_THREAD_NUMBER, L"5");
  DestroyWindow(WindowOf(frame));
  EXPECT_EQ(page.save.conversionThreadNumber, 5);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingPagesTest, KeyNamesComeFromTheKeyboardLayout) {
  // "Ctrl" on Windows, "Control" in Wine's layouts.
  EXPECT_FALSE(services.keyNames.KeyName(VK_CONTROL, false).empty());
  EXPECT_EQ(services.keyNames.KeyName(VK_SHIFT, false), L"Shift");
  EXPECT_EQ(services.keyNames.KeyName(VK_MENU, false), L"Alt");
  EXPECT_EQ(services.keyNames.KeyName('A', false), L"A");
  EXPECT_EQ(services.keyNames.KeyName(VK_F5, false), L"F5");
  // The same scan code names a keypad key, or a navigation key when extended.
  EXPECT_NE(services.keyNames.KeyName(VK_END, true), services.keyNames.KeyName(VK_END, false));
  EXPECT_EQ(services.keyNames.KeyName(VK_END, true), L"End");
}

TEST_F(SettingPagesTest, HotkeyPageCommitsTheControlsHotkeyWithItsName) {
  CSettingHotkey page(ports);
  page.singleShot.modifier = 4;
  page.singleShot.virtualKey = 'S';
  page.singleShot.folder = L"C:\\shots\\single";
  page.singleShot.format = L"single_%date%_%time%";
  for (int i = 0; i < 3; ++i) {
    MultiShotProfile m;
    m.id = 10 + i;
    m.modifier = 2 | 8;
    m.virtualKey = static_cast<uint16_t>('1' + i);
    m.folder = L"C:\\shots\\multi" + std::to_wstring(i + 1);
    m.format = L"m_%sdate%_%stime%_%ms%";
    m.numberOfSavedImageBeforeHotkey = 5;
    m.numberOfSavedImageAfterHotkey = 10;
    m.numberOfCaptureSkippedAfterSave = 1;
    page.multiShots.push_back(m);
  }
  page.profileCount = 3;
  HWND p = OpenPage(page);
  const std::wstring ctrl = services.keyNames.KeyName(VK_CONTROL, false);
  EXPECT_EQ(Text(p, IDC_EDIT_SINGLE_HOTKEY), L"Shift + S");
  EXPECT_EQ(Text(p, IDC_EDIT_MULTI_HOTKEY), ctrl + L" + 1");
  EXPECT_EQ(page.multiShots[0].modifier, 2);  // the Windows-key flag is gone
  EXPECT_EQ(SendDlgItemMessageW(p, IDC_HOTKEY_SINGLE, HKM_GETHOTKEY, 0, 0), 0);
  EXPECT_EQ(
      ComboItems(p, IDC_COMBO_MULTI_PROFILE),
      (std::vector<std::wstring>{L"マルチショット01", L"マルチショット02", L"マルチショット03"}));
  EXPECT_EQ(Text(p, IDC_EDIT_SAVE_SPEED), L"2");
  Screenshot(WindowOf(frame), L"settings_hotkey");

  // The view reads back what the control holds.
  const uint16_t ctrlShiftA = MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT);
  page.View()->SetHotkey(IDC_HOTKEY_SINGLE, ctrlShiftA);
  EXPECT_EQ(page.View()->GetHotkey(IDC_HOTKEY_SINGLE), ctrlShiftA);
  Click(p, IDC_BUTTON_SINGLE_CHANGE);
  EXPECT_EQ(Text(p, IDC_EDIT_SINGLE_HOTKEY), ctrl + L" + Shift + A");
  EXPECT_EQ(page.singleShot.modifier, 2 | 4);
  EXPECT_EQ(page.singleShot.virtualKey, 'A');
  EXPECT_EQ(SendDlgItemMessageW(p, IDC_HOTKEY_SINGLE, HKM_GETHOTKEY, 0, 0), 0);

  SendDlgItemMessageW(p, IDC_HOTKEY_MULTI, HKM_SETHOTKEY,
                      MAKEWORD(VK_END, HOTKEYF_ALT | HOTKEYF_EXT), 0);
  Click(p, IDC_BUTTON_MULTI_CHANGE);
  EXPECT_EQ(Text(p, IDC_EDIT_MULTI_HOTKEY), L"Alt + End");
  EXPECT_EQ(page.multiShots[0].modifier, 1);

  // The real sorted list keeps entry i for profile i.
  Type(p, IDC_EDIT_MULTI_FOLDER, L"D:\\edited");
  PickCombo(p, IDC_COMBO_MULTI_PROFILE, 2);
  EXPECT_EQ(Text(p, IDC_EDIT_MULTI_FOLDER), L"C:\\shots\\multi3");
  EXPECT_EQ(Text(p, IDC_EDIT_MULTI_HOTKEY), ctrl + L" + 3");
  PickCombo(p, IDC_COMBO_MULTI_PROFILE, 0);
  EXPECT_EQ(Text(p, IDC_EDIT_MULTI_FOLDER), L"D:\\edited");
  DestroyWindow(WindowOf(frame));
  EXPECT_EQ(page.multiShots[0].folder, L"D:\\edited");
  EXPECT_EQ(page.CurrentProfile(), 0);
}

// An empty folder field shows where an empty folder saves, in grey, and keeps
// its empty value; a filled one shows its own text in black. The default
// folder is the real one, as the program computes it.
TEST_F(SettingPagesTest, EmptyFolderFieldsShowTheDefaultFolderAsACue) {
  ports.defaultFolder = DefaultSaveFolder(services.shell.PicturesFolder(), ExePath());
  CSettingHotkey page(ports);
  page.singleShot.format = L"single_%date%_%time%";
  for (const wchar_t* folder : {L"C:\\shots\\multi1", L""}) {
    MultiShotProfile m;
    m.folder = folder;
    m.format = L"m_%sdate%_%stime%_%ms%";
    page.multiShots.push_back(m);
  }
  page.profileCount = 2;
  HWND p = OpenPage(page);
  // No caret in the fields whose pixels are read.
  SetFocus(GetDlgItem(p, IDC_COMBO_MULTI_PROFILE));
  HWND single = GetDlgItem(p, IDC_EDIT_SINGLE_FOLDER);
  HWND multi = GetDlgItem(p, IDC_EDIT_MULTI_FOLDER);

  EXPECT_EQ(Text(p, IDC_EDIT_SINGLE_FOLDER), L"");
  EXPECT_EQ(Cue(p, IDC_EDIT_SINGLE_FOLDER), ports.defaultFolder);
  EXPECT_EQ(Text(p, IDC_EDIT_MULTI_FOLDER), L"C:\\shots\\multi1");
  const int cueGrey = DarkestPixel(single);
  const int textGrey = DarkestPixel(multi);
  EXPECT_LT(textGrey, 64) << "the filled field's text is not drawn in black";
  EXPECT_GT(cueGrey, textGrey + 40) << "the empty field shows no grey cue";
  EXPECT_LT(cueGrey, 200) << "the empty field shows no cue at all";

  // The other profile's empty folder: the same field now shows the cue.
  PickCombo(p, IDC_COMBO_MULTI_PROFILE, 1);
  EXPECT_EQ(Text(p, IDC_EDIT_MULTI_FOLDER), L"");
  EXPECT_EQ(Cue(p, IDC_EDIT_MULTI_FOLDER), ports.defaultFolder);
  EXPECT_EQ(DarkestPixel(multi), cueGrey);
  Screenshot(WindowOf(frame), L"settings_hotkey_cue");

  // Typed into, the field shows the text; emptied again, the cue comes back.
  Type(p, IDC_EDIT_SINGLE_FOLDER, L"D:\\typed");
  SetFocus(GetDlgItem(p, IDC_COMBO_MULTI_PROFILE));
  EXPECT_LT(DarkestPixel(single), 64);
  Type(p, IDC_EDIT_SINGLE_FOLDER, L"");
  SetFocus(GetDlgItem(p, IDC_COMBO_MULTI_PROFILE));
  EXPECT_EQ(DarkestPixel(single), cueGrey);

  DestroyWindow(WindowOf(frame));
  // The cue is only shown: the settings keep the empty values.
  EXPECT_EQ(page.singleShot.folder, L"");
  EXPECT_EQ(page.multiShots[0].folder, L"C:\\shots\\multi1");
  EXPECT_EQ(page.multiShots[1].folder, L"");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingPagesTest, MiscPageRadioButtonsEnableTheirLists) {
  CSettingMisc page(ports);
  page.general.maximumMultiShotNo = 3;
  page.general.shotButtonType = 1;
  page.general.mainButtonMultiShotNo = 5;
  page.general.mainButtonShowFolderNo = 1;
  page.general.checkOnExit = true;
  page.general.supressErrorDialog = true;
  HWND p = OpenPage(page);
  EXPECT_EQ(ComboItems(p, IDC_COMBO_MULTI_SHOT_NO),
            (std::vector<std::wstring>{L"マルチ01", L"マルチ02", L"マルチ03"}));
  EXPECT_EQ(ComboItems(p, IDC_COMBO_FOLDER_NO),
            (std::vector<std::wstring>{L"シングル", L"マルチ01", L"マルチ02", L"マルチ03"}));
  EXPECT_EQ(SendDlgItemMessageW(p, IDC_COMBO_MULTI_SHOT_NO, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(IsDlgButtonChecked(p, IDC_RADIO_MULTI_SHOT), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_MULTI_SHOT_NO)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_FOLDER_NO)));
  Screenshot(WindowOf(frame), L"settings_misc");

  Click(p, IDC_RADIO_SAVE_FOLDER);
  EXPECT_EQ(IsDlgButtonChecked(p, IDC_RADIO_MULTI_SHOT), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_MULTI_SHOT_NO)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_FOLDER_NO)));
  Click(p, IDC_RADIO_LAST_SAVED);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_MULTI_SHOT_NO)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, IDC_COMBO_FOLDER_NO)));
  Click(p, IDC_CHECK_ALWAYS_ON_TOP);
  DestroyWindow(WindowOf(frame));
  EXPECT_EQ(page.general.shotButtonType, 2);
  EXPECT_EQ(page.general.mainButtonMultiShotNo, 2);
  EXPECT_EQ(page.general.mainButtonShowFolderNo, 1);
  EXPECT_TRUE(page.general.alwaysOnTop);
  EXPECT_TRUE(page.general.checkOnExit);
  EXPECT_FALSE(page.general.showSaveBufferInfo);
}

// The list's windows by their title, to count them.
int MetaListWindows() {
  int count = 0;
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, nullptr, L"使用可能なメタ文字一覧")) != nullptr) {
    if (IsWindowVisible(w)) ++count;
  }
  return count;
}

TEST_F(SettingPagesTest, MetaListShowsItsRowsWithColumnsWideEnough) {
  CSettingHotkey page(ports);
  HWND p = OpenPage(page);
  Click(p, IDC_BUTTON_META_LIST);
  ASSERT_NE(page.HelpWindow(), nullptr);
  HWND help = WindowOf(*page.HelpWindow());
  ASSERT_TRUE(IsWindowVisible(help));
  EXPECT_EQ(GetWindow(help, GW_OWNER), WindowOf(frame));
  HWND list = GetDlgItem(help, IDC_LIST_META);
  ASSERT_EQ(ListView_GetItemCount(list), 24);
  wchar_t cell[128] = {};
  ListView_GetItemText(list, 5, 1, cell, 128);
  EXPECT_STREQ(cell, L"%year%%month%%date%と同等");
  for (int column = 0; column < 3; ++column) {
    int widest = 0;
    for (int row = 0; row < 24; ++row) {
      ListView_GetItemText(list, row, column, cell, 128);
      widest = std::max(widest, ListView_GetStringWidth(list, cell));
    }
    const int width = ListView_GetColumnWidth(list, column);
    EXPECT_GE(width, widest) << column;
    EXPECT_LE(width, widest + 32) << column;
  }
  SetWindowPos(help, nullptr, 40, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Screenshot(help, L"meta_list");

  // Not smaller than it opened; larger takes the list along.
  RECT before{}, listBefore{};
  GetWindowRect(help, &before);
  GetWindowRect(list, &listBefore);
  MINMAXINFO info{};
  SendMessageW(help, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, before.right - before.left);
  EXPECT_EQ(info.ptMinTrackSize.y, before.bottom - before.top);
  SetWindowPos(help, nullptr, 0, 0, before.right - before.left + 80,
               before.bottom - before.top + 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT listAfter{};
  GetWindowRect(list, &listAfter);
  EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left + 80);
  EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + 50);

  // A second click raises the open list.
  SetForegroundWindow(WindowOf(frame));
  PumpFor(50);
  Click(p, IDC_BUTTON_META_LIST);
  PumpFor(50);
  EXPECT_EQ(MetaListWindows(), 1);
  EXPECT_EQ(WindowOf(*page.HelpWindow()), help);
  EXPECT_EQ(GetActiveWindow(), help);
  EXPECT_TRUE(messages.shown.empty());

  // Closing the settings dialog closes the list and clears the page's pointer.
  DestroyWindow(WindowOf(frame));
  EXPECT_FALSE(IsWindow(help));
  EXPECT_EQ(page.HelpWindow(), nullptr);
}

// Inside the settings dialog's modal loop, as in the program: Enter in the list does
// nothing and Esc closes it.
TEST_F(SettingPagesTest, MetaListIgnoresEnterAndClosesWithEscInsideAModalLoop) {
  CSettingHotkey page(ports);
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  HWND help = nullptr;
  bool stillOpenAfterEnter = false;
  bool pointerClearedAfterEsc = false;
  steps = {
      [&] { Click(WindowOf(page), IDC_BUTTON_META_LIST); },
      [&] {
        ASSERT_NE(page.HelpWindow(), nullptr);
        help = WindowOf(*page.HelpWindow());
        HWND list = GetDlgItem(help, IDC_LIST_META);
        SetFocus(list);
        PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageW(list, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001));
      },
      [&] {
        stillOpenAfterEnter = page.HelpWindow() != nullptr && IsWindow(help);
        HWND list = GetDlgItem(help, IDC_LIST_META);
        PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(list, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
      },
      [&] {
        pointerClearedAfterEsc = page.HelpWindow() == nullptr && !IsWindow(help);
        // Opened again, it goes with the dialog.
        Click(WindowOf(page), IDC_BUTTON_META_LIST);
      },
      [&] {
        help = page.HelpWindow() != nullptr ? WindowOf(*page.HelpWindow()) : nullptr;
        frame.EndDialog(IDCANCEL);
      },
  };
  // The frame's timer runs the steps from the modal loop.
  static std::function<void()> tick;
  tick = [&] {
    if (next < steps.size()) steps[next++]();
  };
  struct TimerHook {
    static void CALLBACK Proc(HWND, UINT, UINT_PTR, DWORD) { tick(); }
  };
  frame.onInit = [&] {
    ASSERT_TRUE(services.host.CreateModeless(page, frame.View()->Handle()));
    SetWindowPos(WindowOf(page), nullptr, 12, 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetTimer(WindowOf(frame), 1, 150, TimerHook::Proc);
  };
  EXPECT_EQ(services.host.RunModal(frame, {}), IDCANCEL);
  EXPECT_EQ(next, steps.size());
  EXPECT_TRUE(stillOpenAfterEnter);
  EXPECT_TRUE(pointerClearedAfterEsc);
  EXPECT_NE(help, nullptr);
  EXPECT_FALSE(IsWindow(help));
  EXPECT_EQ(page.HelpWindow(), nullptr);
}

// The folder picker answers from its own modal loop: a timer of this thread plays the
// user there, once; a picker still open at the next tick is cancelled, so that a wrong
// answer fails instead of waiting for ever.
std::function<void(HWND picker)> pickerUser;
int pickerVisits = 0;
HWND FindPicker() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM out) {
        if (!IsWindowVisible(w)) return TRUE;
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}
void CALLBACK PlayPickerUser(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND picker = FindPicker();
  if (picker == nullptr) return;
  if (pickerVisits++ == 0) {
    pickerUser(picker);
  } else {
    KillTimer(nullptr, timer);
    PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  }
}

BOOL CALLBACK FillFileName(HWND w, LPARAM text) {
  wchar_t cls[32] = {};
  GetClassNameW(w, cls, 32);
  if (lstrcmpiW(cls, L"Edit") == 0 && IsWindowVisible(w)) {
    SetWindowTextW(w, reinterpret_cast<const wchar_t*>(text));
    return FALSE;
  }
  return TRUE;
}

// The known folder agrees with the shell's older folder lookup and is there;
// the default save folder is its "Lorik" subfolder.
TEST(KnownFolderTest, PicturesFolderIsTheUsersExistingPicturesFolder) {
  ShellWin32 shell;
  const std::optional<std::wstring> pictures = shell.PicturesFolder();
  ASSERT_TRUE(pictures.has_value());
  wchar_t expected[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, expected),
            S_OK);
  EXPECT_EQ(lstrcmpiW(pictures->c_str(), expected), 0) << *pictures << " / " << expected;
  EXPECT_FALSE(PathIsRelativeW(pictures->c_str())) << *pictures;
  const DWORD attributes = GetFileAttributesW(pictures->c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << *pictures;
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u) << *pictures;

  const std::wstring exe = ExePath();
  EXPECT_EQ(DefaultSaveFolder(pictures, exe), *pictures + L"\\Lorik");
  // Without a Pictures folder, the program's own folder.
  EXPECT_EQ(DefaultSaveFolder(std::nullopt, exe), exe.substr(0, exe.find_last_of(L'\\')));
}

TEST(FolderPickerTest, ReturnsTheChosenFolderOrNothingWhenCancelled) {
  ShellWin32 shell;
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);

  pickerUser = [&](HWND picker) {
    EnumChildWindows(picker, FillFileName, reinterpret_cast<LPARAM>(windows));
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
  };
  pickerVisits = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 300, PlayPickerUser);
  const std::optional<std::wstring> chosen = shell.PickFolder();
  KillTimer(nullptr, timer);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(lstrcmpiW(chosen->c_str(), windows), 0) << *chosen;

  pickerUser = [](HWND picker) { PostMessageW(picker, WM_COMMAND, IDCANCEL, 0); };
  pickerVisits = 0;
  timer = SetTimer(nullptr, 0, 300, PlayPickerUser);
  EXPECT_FALSE(shell.PickFolder().has_value());
  KillTimer(nullptr, timer);
}

}  // namespace
}  // namespace lorik
