// The dialog host and view against real windows made from the program's templates.
#include <windows.h>
// windows.h first: the headers below depend on it.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Hotkeys.h"
#include "platform/Timers.h"
#include "resource.h"
#include "ui/Dialog.h"
#include "win32/DialogHostWin32.h"
#include "win32/EdgeGuard.h"

namespace lorik::ui {
namespace {

HINSTANCE Self() {
  return GetModuleHandleW(nullptr);
}

HWND WindowOf(const Dialog& dialog) {
  return reinterpret_cast<HWND>(dialog.View()->Handle().value);
}

// A control's rectangle in its dialog's client coordinates, straight from the platform.
RECT ItemRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 3000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) break;
    if (GetTickCount64() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

HBRUSH TestBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  return brush;
}

// The main window's template with the program's dynamic layout.
class MainWindow : public Dialog {
 public:
  MainWindow() : Dialog(IDD_LORIK_DIALOG) {}

  DynamicLayout GetDynamicLayout() const override {
    static constexpr std::array<LayoutItem, 3> kLayout{{
        {IDC_PROGRESS_INFO, 0, 100, 100, 0},
        {IDC_STATIC_THUMB, 0, 0, 100, 100},
        {IDC_BUTTON_PHOTO, 0, 100, 0, 0},
    }};
    return kLayout;
  }

  int photoClicks = 0;
  std::vector<uintptr_t> ticks;
  std::vector<DpiChange> dpiChanges;

 protected:
  MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        MapCommand<&MainWindow::OnPhoto>(IDC_BUTTON_PHOTO, STN_CLICKED),
        MapTimer<&MainWindow::OnTimer>(),
        MapRaw<&MainWindow::OnApp>(WM_APP),
        MapRaw<&MainWindow::OnCtlColorDlg>(WM_CTLCOLORDLG),
        MapRaw<&MainWindow::OnQueryDragIcon>(WM_QUERYDRAGICON),
        MapDpiChanged<&MainWindow::OnDpiChanged>(),
    };
    return kMap;
  }

 private:
  void OnPhoto() { ++photoClicks; }
  void OnTimer(uintptr_t id) { ticks.push_back(id); }
  void OnDpiChanged(const DpiChange& change) { dpiChanges.push_back(change); }
  intptr_t OnApp(uintptr_t wParam, intptr_t) { return static_cast<intptr_t>(wParam) * 2; }
  intptr_t OnCtlColorDlg(uintptr_t, intptr_t) { return reinterpret_cast<intptr_t>(TestBrush()); }
  intptr_t OnQueryDragIcon(uintptr_t, intptr_t) {
    return reinterpret_cast<intptr_t>(LoadIconW(Self(), MAKEINTRESOURCEW(IDI_ICON_APP)));
  }
};

// A page template, created as a child of the main window.
class Page : public Dialog {
 public:
  Page() : Dialog(IDD_SETTING_CAPTURE) {}
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.CreateModeless(main, {}));
    window = WindowOf(main);
  }
  void TearDown() override {
    if (page.IsOpen()) DestroyWindow(WindowOf(page));
    if (main.IsOpen()) DestroyWindow(window);
    EXPECT_FALSE(main.IsOpen());
  }

  DialogHostWin32 host{Self()};
  MainWindow main;
  Page page;
  HWND window = nullptr;
};

TEST_F(MainWindowTest, ResizingMovesAndSizesTheControlsByTheLayout) {
  struct Expected {
    int id;
    LONG left, top, right, bottom;  // change of each edge when the client grows by 60 x 40
  };
  const Expected expected[] = {
      {IDC_PROGRESS_INFO, 0, 40, 60, 40},
      {IDC_STATIC_THUMB, 0, 0, 60, 40},
      {IDC_BUTTON_PHOTO, 0, 40, 0, 40},
  };
  std::vector<RECT> before;
  for (const Expected& e : expected) before.push_back(ItemRect(window, e.id));
  const SIZE client = ClientSize(window);
  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  constexpr UINT kFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;

  SetWindowPos(window, nullptr, 0, 0, width + 60, height + 40, kFlags);
  ASSERT_EQ(ClientSize(window).cx, client.cx + 60);
  ASSERT_EQ(ClientSize(window).cy, client.cy + 40);
  for (size_t i = 0; i < std::size(expected); ++i) {
    const Expected& e = expected[i];
    const RECT now = ItemRect(window, e.id);
    EXPECT_EQ(now.left, before[i].left + e.left) << e.id;
    EXPECT_EQ(now.top, before[i].top + e.top) << e.id;
    EXPECT_EQ(now.right, before[i].right + e.right) << e.id;
    EXPECT_EQ(now.bottom, before[i].bottom + e.bottom) << e.id;
  }

  // Back to the first size: every control is where it started.
  SetWindowPos(window, nullptr, 0, 0, width, height, kFlags);
  for (size_t i = 0; i < std::size(expected); ++i) {
    const RECT now = ItemRect(window, expected[i].id);
    EXPECT_TRUE(EqualRect(&now, &before[i])) << expected[i].id;
  }
}

LONG FontHeight(HWND window) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font.lfHeight;
}

// WM_DPICHANGED as a move to a monitor of 150 % sends it; Wine has one DPI for
// the whole desktop, so the test sends it itself. The host scales every
// control, the page inside and the dialog fonts, takes the suggested
// rectangle and hands the change to the dialog; the dynamic layout goes on
// from the new scale, so a resize afterwards does not put the controls back
// where the old DPI had them.
TEST_F(MainWindowTest, DpiChangeScalesControlsFontsAndLayoutAndTakesTheSuggestedRectangle) {
  ASSERT_TRUE(host.CreateModeless(page, WindowHandle{reinterpret_cast<uintptr_t>(window)}));
  HWND pageWindow = WindowOf(page);
  const int dpi = main.View()->Dpi();
  const int newDpi = dpi * 3 / 2;
  const RECT title = ItemRect(pageWindow, IDC_EDIT_TITLE);
  auto pageIn = [&] {
    RECT r{};
    GetWindowRect(pageWindow, &r);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT pageRect = pageIn();
  const RECT button = ItemRect(window, IDC_BUTTON_PHOTO);
  const SIZE client = ClientSize(window);
  const LONG dialogFont = FontHeight(GetDlgItem(window, IDC_BUTTON_PHOTO));
  const LONG titleFont = FontHeight(GetDlgItem(pageWindow, IDC_EDIT_TITLE));
  RECT frame{};
  GetWindowRect(window, &frame);
  RECT suggested{frame.left + 10, frame.top + 20,
                 frame.left + 10 + (frame.right - frame.left) * 3 / 2,
                 frame.top + 20 + (frame.bottom - frame.top) * 3 / 2};

  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(main.View()->Dpi(), newDpi);
  EXPECT_EQ(page.View()->Dpi(), newDpi);
  ASSERT_EQ(main.dpiChanges.size(), 1u);
  EXPECT_EQ(main.dpiChanges[0].dpi, newDpi);
  EXPECT_EQ(main.dpiChanges[0].suggested,
            (Rect{suggested.left, suggested.top, suggested.right, suggested.bottom}));
  RECT now{};
  GetWindowRect(window, &now);
  EXPECT_TRUE(EqualRect(&now, &suggested));
  EXPECT_EQ(FontHeight(GetDlgItem(window, IDC_BUTTON_PHOTO)), ScaleForDpi(dialogFont, newDpi, dpi));
  EXPECT_EQ(FontHeight(GetDlgItem(pageWindow, IDC_EDIT_TITLE)),
            ScaleForDpi(titleFont, newDpi, dpi));
  // The page and its controls, which no layout moves, are the template's at the new DPI.
  const RECT scaledTitle = ItemRect(pageWindow, IDC_EDIT_TITLE);
  EXPECT_EQ(scaledTitle.left, ScaleForDpi(title.left, newDpi, dpi));
  EXPECT_EQ(scaledTitle.right, ScaleForDpi(title.right, newDpi, dpi));
  EXPECT_EQ(scaledTitle.bottom, ScaleForDpi(title.bottom, newDpi, dpi));
  const RECT scaledPage = pageIn();
  EXPECT_EQ(scaledPage.right, ScaleForDpi(pageRect.right, newDpi, dpi));
  // The button keeps its scaled size and its scaled distance from the bottom.
  const SIZE bigger = ClientSize(window);
  const RECT moved = ItemRect(window, IDC_BUTTON_PHOTO);
  EXPECT_EQ(moved.right - moved.left, ScaleForDpi(button.right - button.left, newDpi, dpi));
  EXPECT_NEAR(bigger.cy - moved.bottom, ScaleForDpi(client.cy - button.bottom, newDpi, dpi), 1);

  // A resize from here moves the button by the change alone.
  GetWindowRect(window, &frame);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + 40,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT after = ItemRect(window, IDC_BUTTON_PHOTO);
  EXPECT_EQ(after.top, moved.top + 40);
  EXPECT_EQ(after.right - after.left, moved.right - moved.left);

  // Back to the first DPI: the fonts are the first ones' size again.
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
  EXPECT_EQ(FontHeight(GetDlgItem(window, IDC_BUTTON_PHOTO)), dialogFont);
  EXPECT_EQ(FontHeight(GetDlgItem(pageWindow, IDC_EDIT_TITLE)), titleFont);
  EXPECT_EQ(main.View()->Dpi(), dpi);
}

TEST_F(MainWindowTest, ClickOnTheNotifyingStaticReachesTheMessageMap) {
  SendMessageW(GetDlgItem(window, IDC_BUTTON_PHOTO), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(GetDlgItem(window, IDC_BUTTON_PHOTO), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(main.photoClicks, 1);
}

// Most results travel through DWLP_MSGRESULT; the colour and drag-icon messages
// return theirs from the dialog procedure itself.
TEST_F(MainWindowTest, HandlerResultsReachTheSender) {
  HDC dc = GetDC(window);
  struct Case {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT expected;
  };
  const Case cases[] = {
      {WM_APP, 21, 0, 42},
      {WM_APP + 1, 21, 0, 0},  // not in the map: the default's result
      {WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window),
       reinterpret_cast<LRESULT>(TestBrush())},
      {WM_QUERYDRAGICON, 0, 0,
       reinterpret_cast<LRESULT>(LoadIconW(Self(), MAKEINTRESOURCEW(IDI_ICON_APP)))},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SendMessageW(window, c.msg, c.wParam, c.lParam), c.expected) << c.msg;
  }
  ReleaseDC(window, dc);
}

TEST_F(MainWindowTest, TimerTicksArriveInTheHandlerUntilKilled) {
  TimerPort& timers = main.View()->Timers();
  ASSERT_EQ(timers.Start(15612, 10), 15612u);
  ASSERT_TRUE(PumpUntil([&] { return main.ticks.size() >= 2; }));
  EXPECT_EQ(main.ticks.front(), 15612u);
  timers.Kill(15612);
  PumpFor(50);  // a tick posted before the kill may still be queued
  const size_t afterKill = main.ticks.size();
  PumpFor(100);
  EXPECT_EQ(main.ticks.size(), afterKill);
}

TEST_F(MainWindowTest, SystemMenuGetsASeparatorAndTheItem) {
  HMENU menu = GetSystemMenu(window, FALSE);
  ASSERT_NE(menu, nullptr);
  const int before = GetMenuItemCount(menu);
  const std::wstring text = L"Lorikについて(&A)...";
  ASSERT_TRUE(main.View()->AppendSystemMenuItem(IDM_ABOUTBOX, text));
  ASSERT_EQ(GetMenuItemCount(menu), before + 2);
  EXPECT_TRUE(GetMenuState(menu, before, MF_BYPOSITION) & MF_SEPARATOR);
  wchar_t got[64] = {};
  GetMenuStringW(menu, before + 1, got, 64, MF_BYPOSITION);
  EXPECT_EQ(got, text);
  EXPECT_EQ(GetMenuItemID(menu, before + 1), static_cast<UINT>(IDM_ABOUTBOX));
}

TEST_F(MainWindowTest, WindowOperations) {
  DialogView& view = *main.View();
  view.SetCaption(L"Lorik — テスト");
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  EXPECT_STREQ(caption, L"Lorik — テスト");

  EXPECT_EQ(view.LoadString(IDS_ABOUTBOX), L"Lorikについて(&A)...");
  EXPECT_EQ(view.LoadString(9999), L"");

  view.SetIcon(IDI_ICON_APP);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);

  RECT client{};
  GetClientRect(window, &client);
  const Rect viewClient = view.GetClientRect();
  EXPECT_EQ(viewClient, (Rect{0, 0, client.right, client.bottom}));

  struct Case {
    std::optional<ZOrder> order;
    unsigned flags;
    bool topmost;
  };
  const Case cases[] = {
      {ZOrder::Topmost, swp::kNoActivate, true},
      {std::nullopt, swp::kNoActivate, true},  // no order given: z-order untouched
      {ZOrder::NoTopmost, swp::kNoActivate, false},
      {ZOrder::Topmost, swp::kNoActivate | swp::kNoZOrder, false},
  };
  Rect target{40, 50, 340, 290};
  for (const Case& c : cases) {
    view.SetWindowPos(c.order, target, c.flags);
    EXPECT_EQ(view.GetWindowRect(), target);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), target);
    EXPECT_EQ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.topmost)
        << static_cast<int>(c.order.value_or(ZOrder::Top)) << "/" << c.flags;
    target.left += 10;
    target.right += 10;
  }

  view.Show(false);
  EXPECT_FALSE(IsWindowVisible(window));
  view.Show(true);
  EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(MainWindowTest, ControlOperationsOnAChildPage) {
  ASSERT_TRUE(host.CreateModeless(page, WindowHandle{reinterpret_cast<uintptr_t>(window)}));
  HWND pageWindow = WindowOf(page);
  EXPECT_EQ(GetParent(pageWindow), window);
  DialogView& view = *page.View();

  EXPECT_TRUE(view.HasItem(IDC_EDIT_TITLE));
  EXPECT_FALSE(view.HasItem(4242));

  view.SetItemText(IDC_EDIT_TITLE, L"メモ帳 — 無題");
  wchar_t text[64] = {};
  GetDlgItemTextW(pageWindow, IDC_EDIT_TITLE, text, 64);
  EXPECT_STREQ(text, L"メモ帳 — 無題");
  SetDlgItemTextW(pageWindow, IDC_EDIT_TITLE, std::wstring(300, L'x').c_str());
  EXPECT_EQ(view.GetItemText(IDC_EDIT_TITLE), std::wstring(300, L'x'));
  EXPECT_EQ(view.GetItemText(4242), L"");

  view.SetCheck(IDC_CHECK_DESKTOP, true);
  EXPECT_EQ(IsDlgButtonChecked(pageWindow, IDC_CHECK_DESKTOP), BST_CHECKED);
  EXPECT_TRUE(view.GetCheck(IDC_CHECK_DESKTOP));
  view.SetCheck(IDC_CHECK_DESKTOP, false);
  EXPECT_EQ(IsDlgButtonChecked(pageWindow, IDC_CHECK_DESKTOP), BST_UNCHECKED);

  HWND button = GetDlgItem(pageWindow, IDC_BUTTON_DRAG);
  view.EnableItem(IDC_BUTTON_DRAG, false);
  EXPECT_FALSE(IsWindowEnabled(button));
  view.EnableItem(IDC_BUTTON_DRAG, true);
  EXPECT_TRUE(IsWindowEnabled(button));
  view.ShowItem(IDC_BUTTON_DRAG, false);
  EXPECT_FALSE(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE);
  view.ShowItem(IDC_BUTTON_DRAG, true);
  EXPECT_TRUE(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE);

  // Client coordinates of the page, not of the main window nor the screen.
  const RECT raw = ItemRect(pageWindow, IDC_BUTTON_DRAG);
  EXPECT_EQ(view.GetItemRect(IDC_BUTTON_DRAG), (Rect{raw.left, raw.top, raw.right, raw.bottom}));
  const Rect moved{5, 6, 105, 36};
  view.SetItemRect(IDC_BUTTON_DRAG, moved);
  const RECT now = ItemRect(pageWindow, IDC_BUTTON_DRAG);
  EXPECT_EQ((Rect{now.left, now.top, now.right, now.bottom}), moved);
  EXPECT_EQ(view.GetItemRect(IDC_BUTTON_DRAG), moved);
}

TEST_F(MainWindowTest, HotkeyCombinationIsHeldByOneWindow) {
  ASSERT_TRUE(host.CreateModeless(page, WindowHandle{reinterpret_cast<uintptr_t>(window)}));
  constexpr UINT kMods = MOD_CONTROL | MOD_ALT | MOD_NOREPEAT;
  HotkeyPort& first = main.View()->Hotkeys();
  HotkeyPort& second = page.View()->Hotkeys();
  ASSERT_TRUE(first.Register(16996, kMods, VK_F9));
  EXPECT_FALSE(second.Register(16997, kMods, VK_F9));
  EXPECT_TRUE(first.Unregister(16996));
  EXPECT_FALSE(first.Unregister(16996));
  EXPECT_TRUE(second.Register(16997, kMods, VK_F9));
  EXPECT_TRUE(second.Unregister(16997));
}

TEST_F(MainWindowTest, SecondWindowForAnOpenDialogIsRefused) {
  EXPECT_FALSE(host.CreateModeless(main, {}));
  EXPECT_EQ(host.RunModal(main, {}), -1);
  EXPECT_EQ(WindowOf(main), window);
}

// The about box. OnInitDialog posts a command whose handler ends the run.
class About : public Dialog {
 public:
  explicit About(int templateId = IDD_ABOUTBOX) : Dialog(templateId) {}

  std::wstring versionText;
  bool destroyed = false;

 protected:
  MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        MapCommand<&About::OnFinish>(IDC_STATIC_VERSION),
        MapMessage<&About::OnDestroy>(WM_DESTROY),
    };
    return kMap;
  }
  bool OnInitDialog() override {
    versionText = view().GetItemText(IDC_STATIC_VERSION);
    PostMessageW(reinterpret_cast<HWND>(view().Handle().value), WM_COMMAND,
                 MAKEWPARAM(IDC_STATIC_VERSION, 0), 0);
    return true;
  }

 private:
  void OnFinish() { EndDialog(4321); }
  void OnDestroy() { destroyed = true; }
};

// A handler that throws: the exception stops at the dialog procedure, is
// reported, and the message counts as not taken; the window goes on working.
class Throwing : public Dialog {
 public:
  Throwing() : Dialog(IDD_ABOUTBOX) {}
  int handled = 0;

 protected:
  MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        MapMessage<&Throwing::OnApp>(WM_APP + 7),
        MapCommand<&Throwing::OnOk>(IDOK),
    };
    return kMap;
  }

 private:
  void OnApp() { throw std::runtime_error("handler failed"); }
  void OnOk() {
    ++handled;
    throw 42;  // not even a std::exception
  }
};

std::vector<std::string>& StoppedAt() {
  static std::vector<std::string> places;
  return places;
}

TEST(EdgeGuard, AnExceptionInAHandlerStopsAtTheDialogProcedure) {
  win32::SetStoppedExceptionSink([](const char* where) { StoppedAt().push_back(where); });
  DialogHostWin32 host(Self());
  Throwing dialog;
  ASSERT_TRUE(host.CreateModeless(dialog, {}));
  HWND window = WindowOf(dialog);
  EXPECT_EQ(SendMessageW(window, WM_APP + 7, 0, 0), 0);
  SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.handled, 2);
  EXPECT_EQ(StoppedAt(), (std::vector<std::string>{"a dialog", "a dialog", "a dialog"}));
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
  win32::SetStoppedExceptionSink(nullptr);
}

TEST(ModalRun, ReturnsTheResultOfTheCommandThatEndedIt) {
  DialogHostWin32 host(Self());
  About about;
  EXPECT_EQ(host.RunModal(about, {}), 4321);
  EXPECT_FALSE(about.versionText.empty());
  EXPECT_TRUE(about.destroyed);
  EXPECT_FALSE(about.IsOpen());
}

TEST(ModalRun, MissingTemplateFails) {
  DialogHostWin32 host(Self());
  About missing(9999);
  EXPECT_EQ(host.RunModal(missing, {}), -1);
  EXPECT_FALSE(host.CreateModeless(missing, {}));
  EXPECT_FALSE(missing.IsOpen());
}

// A modeless about box that ends its life in one of the ways a handler may.
// Its memory is poisoned and never reused, so any use after delete crashes.
class Doomed : public Dialog {
 public:
  enum class Death { DeleteAfterEndDialog, DeleteOnNcDestroy, DeleteWithWindowOpen };
  Doomed(Death death, bool& deleted) : Dialog(IDD_ABOUTBOX), death_(death), deleted_(deleted) {}
  ~Doomed() override { deleted_ = true; }

  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* p, std::size_t size) { std::memset(p, 0xDD, size); }

 protected:
  MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        MapCommand<&Doomed::OnOkClicked>(IDOK),
        MapMessage<&Doomed::OnNcDestroy>(WM_NCDESTROY),
    };
    return kMap;
  }

 private:
  void OnOkClicked() {
    switch (death_) {
      case Death::DeleteAfterEndDialog:
        EndDialog(IDOK);
        delete this;
        break;
      case Death::DeleteOnNcDestroy:
        EndDialog(IDOK);
        break;
      case Death::DeleteWithWindowOpen:
        delete this;
        break;
    }
  }
  void OnNcDestroy() {
    if (death_ == Death::DeleteOnNcDestroy) delete this;
  }

  Death death_;
  bool& deleted_;
};

TEST(ModelessLife, HandlerMayDeleteItsOwnDialog) {
  DialogHostWin32 host(Self());
  for (Doomed::Death death : {Doomed::Death::DeleteAfterEndDialog, Doomed::Death::DeleteOnNcDestroy,
                              Doomed::Death::DeleteWithWindowOpen}) {
    SCOPED_TRACE(static_cast<int>(death));
    bool deleted = false;
    auto* doomed = new Doomed(death, deleted);
    ASSERT_TRUE(host.CreateModeless(*doomed, {}));
    HWND window = WindowOf(*doomed);
    HWND ok = GetDlgItem(window, IDOK);
    SendMessageW(ok, BM_CLICK, 0, 0);
    EXPECT_TRUE(deleted);
    if (death == Doomed::Death::DeleteWithWindowOpen) {
      // The window outlives its object: its messages go to the default from now on.
      ASSERT_TRUE(IsWindow(window));
      SendMessageW(ok, BM_CLICK, 0, 0);
      EXPECT_EQ(SendMessageW(window, WM_APP, 0, 0), 0);
      PumpFor(20);
      DestroyWindow(window);
    }
    EXPECT_FALSE(IsWindow(window));
  }
}

}  // namespace
}  // namespace lorik::ui
