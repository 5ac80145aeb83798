// Every window of the program at 96, 120, 144 and 192 DPI: each text of a
// static, push button, check box, radio button, group box, tab item and list
// header, measured with its control's own font, must fit its control; no tab
// item may lie under a settings page, and every page must lie inside the
// tab's display area. A failure lists the offenders as a table.
//
// Wine has one DPI for the whole desktop, which each process reads once at
// its start from HKCU\Control Panel\Desktop\LogPixels (before the machine's
// value under HKLM\...\Hardware Profiles\Current\Software\Fonts). Run without
// arguments, this program sets the value for each DPI in turn, runs itself
// as a child that does the measuring, and puts the value back, so that the
// other test programs keep running at 96 DPI. `--fit-at=N` runs only DPI N.
#include <windows.h>
// windows.h first: the headers below depend on it.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/AboutDlg.h"
#include "app/MainButton.h"
#include "app/StatusLine.h"
#include "resource.h"
#include "settingsui/MetaHelp.h"
#include "settingsui/Setting.h"
#include "support/SettingServicesWin32.h"
#include "support/TabText.h"
#include "win32/SystemWin32.h"

namespace lorik {
namespace {

constexpr int kDpis[] = {96, 120, 144, 192};
int requestedDpi = 0;  // set in the child from --fit-dpi

const wchar_t kChildFlag[] = L"--fit-dpi=";
const wchar_t kOnlyFlag[] = L"--fit-at=";
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kLogPixels[] = L"LogPixels";

// ---------------------------------------------------------------------------------------------
// The parent: the registry value around one child per DPI.

std::optional<DWORD> ReadLogPixels() {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void WriteLogPixels(std::optional<DWORD> value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  if (value) {
    RegSetValueExW(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value),
                   sizeof(DWORD));
  } else {
    RegDeleteValueW(key, kLogPixels);
  }
  RegCloseKey(key);
}

// This program again with the given arguments; its exit code, or -1.
long RunChild(const std::wstring& arguments) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                      &info))
    return -1;
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return static_cast<long>(code);
}

int RunAtEveryDpi(int argc, wchar_t** argv) {
  std::wstring passed;
  std::vector<int> dpis(std::begin(kDpis), std::end(kDpis));
  for (int i = 1; i < argc; ++i) {
    if (std::wcsncmp(argv[i], kOnlyFlag, std::wcslen(kOnlyFlag)) == 0) {
      dpis = {_wtoi(argv[i] + std::wcslen(kOnlyFlag))};
      continue;
    }
    passed += L" \"";
    passed += argv[i];
    passed += L"\"";
  }
  const std::optional<DWORD> previous = ReadLogPixels();
  std::vector<int> failed;
  for (int dpi : dpis) {
    std::printf("=== windows at %d DPI\n", dpi);
    std::fflush(stdout);
    WriteLogPixels(static_cast<DWORD>(dpi));
    std::wstring arguments = kChildFlag;
    arguments += std::to_wstring(dpi);
    arguments += passed;
    if (RunChild(arguments) != 0) failed.push_back(dpi);
  }
  WriteLogPixels(previous);
  for (int dpi : failed) std::printf("FAILED at %d DPI\n", dpi);
  return failed.empty() ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------
// The child: what does not fit.

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

// A window's rectangle in the client coordinates of `parent`.
RECT RectIn(HWND window, HWND parent) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Text measured with a font as the controls draw it: one line, & as prefix
// unless told otherwise.
struct Measure {
  SIZE text{};
  int zeroWidth = 0;  // of the digit 0, which the platform's check box spacing follows
  int averageWidth = 0;
};

Measure MeasureText(HWND control, const std::wstring& text, bool noPrefix = false) {
  Measure m;
  HDC dc = GetDC(control);
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (font == nullptr)
    font = reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_SINGLELINE | (noPrefix ? DT_NOPREFIX : 0));
  m.text = {r.right - r.left, r.bottom - r.top};
  GetCharWidth32W(dc, L'0', L'0', &m.zeroWidth);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  m.averageWidth = metrics.tmAveCharWidth;
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(control, dc);
  return m;
}

int Scaled(int pixelsAt96) {
  return MulDiv(pixelsAt96, requestedDpi, 96);
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  const SIZE size{bitmap.bmWidth, info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2};
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return size;
}

struct Offender {
  std::string window;
  int id = 0;
  std::string kind;
  std::wstring text;
  SIZE needs{};
  SIZE has{};
  std::string why;  // empty: too small for its text
};

class FitReport {
 public:
  void Add(Offender offender) { offenders_.push_back(std::move(offender)); }

  // Needs is compared with has in both directions.
  void Check(const std::string& window, HWND control, const std::string& kind,
             const std::wstring& text, SIZE needs, SIZE has) {
    if (needs.cx <= has.cx && needs.cy <= has.cy) return;
    Add({window, GetDlgCtrlID(control), kind, text, needs, has, ""});
  }

  bool Empty() const { return offenders_.empty(); }

  std::string Table() const {
    std::ostringstream out;
    out << offenders_.size() << " at " << requestedDpi << " DPI:\n"
        << "window | id | kind | text | needs w x h | has w x h\n";
    for (const Offender& o : offenders_) {
      out << o.window << " | " << o.id << " | " << o.kind << " | " << Utf8(o.text) << " | ";
      if (o.why.empty()) {
        out << o.needs.cx << " x " << o.needs.cy << " | " << o.has.cx << " x " << o.has.cy;
      } else {
        out << o.why;
      }
      out << "\n";
    }
    return out.str();
  }

 private:
  std::vector<Offender> offenders_;
};

void CheckButton(FitReport& report, const std::string& window, HWND control, LONG style) {
  const std::wstring text = TextOf(control);
  const SIZE has = ClientSize(control);
  const Measure m = MeasureText(control, text);
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: {
      // Text and picture side by side inside the button's raised edge.
      SIZE image =
          IconSize(reinterpret_cast<HICON>(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0)));
      const int gap = image.cx > 0 && !text.empty() ? m.zeroWidth / 2 : 0;
      const int edge = 2 * GetSystemMetrics(SM_CXEDGE);
      report.Check(window, control, "push button", text,
                   {m.text.cx + gap + image.cx + 2 * edge, std::max(m.text.cy, image.cy) + edge},
                   has);
      break;
    }
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
      // The box grows with the DPI; the text follows half a digit after it.
      const LONG box = Scaled(12) + 1;
      const bool radio =
          (style & BS_TYPEMASK) == BS_RADIOBUTTON || (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
      report.Check(window, control, radio ? "radio button" : "check box", text,
                   {box + m.zeroWidth / 2 + m.text.cx, std::max(box, m.text.cy)}, has);
      break;
    }
    case BS_GROUPBOX:
      // The caption sits in the frame's top edge, an average character in from each side.
      report.Check(window, control, "group box", text, {m.text.cx + 2 * m.averageWidth, m.text.cy},
                   has);
      break;
    default:
      break;
  }
}

void CheckStatic(FitReport& report, const std::string& window, HWND control, LONG style) {
  switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
      break;
    default:
      return;  // pictures and frames
  }
  const std::wstring text = TextOf(control);
  if (text.empty()) return;
  const Measure m = MeasureText(control, text, (style & SS_NOPREFIX) != 0);
  report.Check(window, control, "static", text, m.text, ClientSize(control));
}

// Items of a tab control: the text inside the item, a little in from its edges,
// and no sibling (a settings page) over the item.
void CheckTabs(FitReport& report, const std::string& window, HWND tab) {
  HWND parent = GetParent(tab);
  const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const std::wstring text = testing::TabItemText(tab, i);
    RECT r{};
    SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    const Measure m = MeasureText(tab, text);
    report.Check(window, tab, "tab item", text,
                 {m.text.cx + 2 * Scaled(3), m.text.cy + 2 * Scaled(1)},
                 {r.right - r.left, r.bottom - r.top});
    MapWindowPoints(tab, parent, reinterpret_cast<POINT*>(&r), 2);
    for (HWND sibling = GetWindow(parent, GW_CHILD); sibling != nullptr;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
      if (sibling == tab || ClassOf(sibling) != L"#32770") continue;
      RECT page = RectIn(sibling, parent);
      RECT overlap{};
      if (IntersectRect(&overlap, &page, &r)) {
        report.Add({window,
                    GetDlgCtrlID(tab),
                    "tab item",
                    text,
                    {},
                    {},
                    "lies under a page from y " + std::to_string(page.top) +
                        " while the item ends at y " + std::to_string(r.bottom)});
        break;
      }
    }
  }
  // Each page inside the tab's display area.
  RECT display = RectIn(tab, parent);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (HWND sibling = GetWindow(parent, GW_CHILD); sibling != nullptr;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (ClassOf(sibling) != L"#32770") continue;
    const RECT page = RectIn(sibling, parent);
    if (page.left < display.left || page.top < display.top || page.right > display.right ||
        page.bottom > display.bottom) {
      std::ostringstream why;
      why << "page at " << page.left << "," << page.top << "-" << page.right << "," << page.bottom
          << " outside the display area " << display.left << "," << display.top << "-"
          << display.right << "," << display.bottom;
      report.Add({window, GetDlgCtrlID(tab), "tab page", L"", {}, {}, why.str()});
    }
  }
}

void CheckListHeaders(FitReport& report, const std::string& window, HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int count = header != nullptr ? Header_GetItemCount(header) : 0;
  for (int i = 0; i < count; ++i) {
    wchar_t buffer[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = buffer;
    column.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    RECT r{};
    Header_GetItemRect(header, i, &r);
    const Measure m = MeasureText(header, buffer);
    report.Check(window, list, "list column", buffer, {m.text.cx + 2 * Scaled(3), m.text.cy},
                 {column.cx, r.bottom - r.top});
  }
}

// Every control of a dialog window and of the dialogs inside it (the pages),
// each inside its window's client area.
void CheckWindow(FitReport& report, const std::string& window, HWND dialog) {
  const SIZE client = ClientSize(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring cls = ClassOf(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const RECT r = RectIn(child, dialog);
    if (r.left < 0 || r.top < 0 || r.right > client.cx || r.bottom > client.cy) {
      std::ostringstream why;
      why << Utf8(cls) << " at " << r.left << "," << r.top << "-" << r.right << "," << r.bottom
          << " outside the client area " << client.cx << " x " << client.cy;
      report.Add({window, GetDlgCtrlID(child), "placement", TextOf(child), {}, {}, why.str()});
    }
    if (cls == L"#32770") {
      CheckWindow(report, window + " page " + Utf8(TextOf(child)), child);
    } else if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
      CheckButton(report, window, child, style);
    } else if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
      CheckStatic(report, window, child, style);
    } else if (cls == WC_TABCONTROLW) {
      CheckTabs(report, window, child);
    } else if (cls == WC_LISTVIEWW) {
      CheckListHeaders(report, window, child);
    }
  }
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

class DialogFit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ScreenDpi(), requestedDpi) << "the child did not start at the requested DPI";
  }
  FitReport report;
};

TEST_F(DialogFit, AboutBox) {
  SystemWin32 system;
  CAboutDlg about(system);
  ui::DialogHostWin32 host(GetModuleHandleW(nullptr));
  ASSERT_TRUE(host.CreateModeless(about, {}));
  HWND window = reinterpret_cast<HWND>(about.View()->Handle().value);
  CheckWindow(report, "about", window);
  DestroyWindow(window);
  EXPECT_TRUE(report.Empty()) << report.Table();
}

using Ports = SettingPortsWin32;

TEST_F(DialogFit, SettingsDialogWithItsPagesAndTabs) {
  Ports ports;
  CSetting setting(ports.Get());
  HWND window = OpenSettingsQuietly(ports.host, setting, 100);
  ASSERT_NE(window, nullptr);
  CheckWindow(report, "settings", window);
  DestroyWindow(window);
  EXPECT_TRUE(report.Empty()) << report.Table();
}

TEST_F(DialogFit, MetaCharacterListAndItsColumns) {
  Ports ports;
  CSettingHotkey owner(ports.Get());
  auto* help = new CMetaHelp(ports.Get(), owner);  // deletes itself with its window
  if (!ports.host.CreateModeless(*help, {})) {
    delete help;
    FAIL() << "the list did not open";
  }
  HWND window = reinterpret_cast<HWND>(help->View()->Handle().value);
  help->ForgetOwner();
  CheckWindow(report, "meta-character list", window);
  DestroyWindow(window);
  EXPECT_TRUE(report.Empty()) << report.Table();
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The review window with the longest count line it writes: a hundred frames,
// all kept, while the last picture loads.
TEST_F(DialogFit, ReviewWindowWithItsLongestCountLine) {
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BURST_REVIEW),
                                   nullptr, QuietDialogProc, 0);
  ASSERT_NE(window, nullptr);
  SetDlgItemTextW(window, IDC_STATIC_BURST_STATUS, L"100枚中 100枚を残す　読み込み中 99/100");
  CheckWindow(report, "review", window);
  DestroyWindow(window);
  EXPECT_TRUE(report.Empty()) << report.Table();
}

// The main window at the size its template gives: the status texts on the
// bar (drawn with the bar's font, one pixel in from its edge) and the main
// button's pictures for this DPI inside the button.
TEST_F(DialogFit, MainWindowStatusTextsAndButtonPictures) {
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LORIK_DIALOG),
                                   nullptr, QuietDialogProc, 0);
  ASSERT_NE(window, nullptr);
  HWND bar = GetDlgItem(window, IDC_PROGRESS_INFO);
  const SIZE barClient = ClientSize(bar);
  StatusInput searching;
  searching.recaptureAfterLost = true;
  StatusInput stopped;
  StatusInput counting;
  counting.targetPresent = true;
  counting.showBufferInfo = true;
  counting.conversionCount = 50;
  counting.capacity = 50;
  StatusInput saved;
  saved.targetPresent = true;
  saved.lastSaved.profileNo = 12;
  saved.lastSaved.captureTime = {2026, 12, 0, 31, 23, 59, 59, 999};
  for (const StatusInput& input : {searching, stopped, counting, saved}) {
    const std::wstring text = ComposeStatusLine(input).text;
    const Measure m = MeasureText(window, text, true);
    report.Check("main window", bar, "status text", text, {m.text.cx + 2, m.text.cy + 2},
                 barClient);
  }
  HWND button = GetDlgItem(window, IDC_BUTTON_PHOTO);
  for (ButtonSet set : {ButtonSet::SingleShot, ButtonSet::MultiShot, ButtonSet::Folder}) {
    for (bool pressed : {false, true}) {
      const int id = MainButtonPicture(set, pressed, requestedDpi);
      auto* bitmap = static_cast<HBITMAP>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
      BITMAP info{};
      GetObjectW(bitmap, sizeof(info), &info);
      DeleteObject(bitmap);
      report.Check("main window", button, "button picture " + std::to_string(id), L"",
                   {info.bmWidth, info.bmHeight}, ClientSize(button));
    }
  }
  DestroyWindow(window);
  EXPECT_TRUE(report.Empty()) << report.Table();
}

}  // namespace
}  // namespace lorik

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    const size_t flag = std::wcslen(lorik::kChildFlag);
    if (std::wcsncmp(argv[i], lorik::kChildFlag, flag) == 0)
      lorik::requestedDpi = _wtoi(argv[i] + flag);
  }
  if (lorik::requestedDpi == 0) return lorik::RunAtEveryDpi(argc, argv);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
