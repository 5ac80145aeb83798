// Recognition of a page that a real window paints, grabbed through the real adapters.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "support/PumpMessages.h"
#include "target/AreaRecognition.h"
#include "win32/ScreenGrabWin32.h"
#include "win32/WindowSystemWin32.h"

namespace lorik {
namespace {

// A white page with the 1200 by 720 content and, at the right edge of the
// client area, a 17-pixel scroll bar with white between the two: the first
// attempt reaches the scroll bar, the second one finds the content. The whole
// window fits on a 1280 by 1024 screen.
constexpr int kClientWidth = 1250;
constexpr int kClientHeight = 800;
constexpr RECT kContent{15, 20, 15 + 1200, 20 + 720};
constexpr RECT kScrollBar{kClientWidth - 17, 0, kClientWidth, kClientHeight};
// Neither white nor bright: no channel at 255.
constexpr COLORREF kContentColour = RGB(40, 90, 160);
constexpr COLORREF kScrollBarColour = RGB(205, 205, 205);

// What the page shows; tests change it before repainting.
struct PageLayout {
  bool content = true;
  bool scrollBar = true;
};
PageLayout g_layout;

void FillWith(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

LRESULT CALLBACK PageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillWith(dc, RECT{0, 0, kClientWidth, kClientHeight}, RGB(255, 255, 255));
    if (g_layout.content) FillWith(dc, kContent, kContentColour);
    if (g_layout.scrollBar) FillWith(dc, kScrollBar, kScrollBarColour);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

using lorik::testing::PumpMessages;

// Answers every message at once and keeps what the user would have read.
class RecordedMessages final : public MessageBoxPort {
 public:
  struct Shown {
    std::wstring text;
    unsigned style;
    friend bool operator==(const Shown&, const Shown&) = default;
  };
  int Show(std::wstring_view text, std::wstring_view, unsigned style) override {
    shown.push_back({std::wstring(text), style});
    return mb::kIdOk;
  }
  void Beep() override {}
  std::vector<Shown> shown;
};

void PrintTo(const RecordedMessages::Shown& s, std::ostream* os) {
  *os << ::testing::PrintToString(s.text) << " style " << s.style;
}

Rect ToRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

class AreaRecognitionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PageWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LorikRecognitionPage";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
  }

  void SetUp() override {
    g_layout = PageLayout{};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Fully on the screen: the desktop grab reads the screen, not the window.
    ASSERT_LE(width, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_LE(height, GetSystemMetrics(SM_CYSCREEN));
    window_ = CreateWindowExW(WS_EX_TOPMOST, L"LorikRecognitionPage", L"page", style, 0, 0, width,
                              height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    PumpMessages();
    RECT client{};
    GetClientRect(window_, &client);
    ASSERT_EQ(client.right, kClientWidth);
    ASSERT_EQ(client.bottom, kClientHeight);
    capture_.targetWindow = Target();
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    PumpMessages();
  }

  void Repaint() {
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
    PumpMessages();
  }

  bool Recognize() { return RecognizeCaptureArea(capture_, windows_, grab_, messages_); }

  // From the window's outer top-left corner to its client origin.
  POINT FrameOffset() const {
    RECT outer{};
    GetWindowRect(window_, &outer);
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    return {origin.x - outer.left, origin.y - outer.top};
  }

  WindowHandle Target() const { return {reinterpret_cast<uintptr_t>(window_)}; }

  HWND window_ = nullptr;
  WindowSystemWin32 windows_;
  ScreenGrabWin32 grab_;
  RecordedMessages messages_;
  CaptureSettings capture_;
};

using Shown = RecordedMessages::Shown;

TEST_F(AreaRecognitionTest, WindowModeStepsOverTheScrollBar) {
  EXPECT_TRUE(Recognize());
  EXPECT_EQ(capture_.captureArea, ToRect(kContent));
  EXPECT_EQ(capture_.targetWindow, Target());
  EXPECT_EQ(messages_.shown, (std::vector<Shown>{{L"自動認識成功", mb::kIconInformation}}));
}

TEST_F(AreaRecognitionTest, DesktopModeIsRelativeToTheOuterCorner) {
  capture_.captureFromDesktop = true;
  const POINT offset = FrameOffset();
  // The scroll bar must still lie under the first attempt's last column and
  // the gap under the second's, counted from the outer corner.
  ASSERT_LE(offset.x, 16);
  ASSERT_LT(offset.y + kContent.bottom, kClientHeight - 1);

  EXPECT_TRUE(Recognize());
  EXPECT_EQ(capture_.captureArea, (Rect{kContent.left + offset.x, kContent.top + offset.y,
                                        kContent.right + offset.x, kContent.bottom + offset.y}));
  EXPECT_EQ(capture_.targetWindow, Target());
  EXPECT_EQ(messages_.shown, (std::vector<Shown>{{L"自動認識成功", mb::kIconInformation}}));
}

TEST_F(AreaRecognitionTest, PageWithoutContentFailsWithTheClientArea) {
  g_layout.content = false;
  Repaint();
  // Only the scroll bar: the first attempt finds it, the second finds nothing.
  EXPECT_FALSE(Recognize());
  EXPECT_EQ(capture_.captureArea, (Rect{0, 0, kClientWidth, kClientHeight}));
  EXPECT_EQ(capture_.targetWindow, Target());
  EXPECT_EQ(messages_.shown, (std::vector<Shown>{{L"自動認識に失敗しました", mb::kIconError}}));
}

TEST_F(AreaRecognitionTest, HiddenAndDestroyedTargets) {
  ShowWindow(window_, SW_HIDE);
  PumpMessages();
  EXPECT_FALSE(Recognize());
  EXPECT_EQ(capture_.targetWindow, Target());
  EXPECT_EQ(messages_.shown, (std::vector<Shown>{{L"キャプチャ対象の幅や高さが0?", mb::kOk},
                                                 {L"キャプチャ失敗", mb::kIconError}}));

  messages_.shown.clear();
  const WindowHandle gone = Target();
  DestroyWindow(window_);
  window_ = nullptr;
  PumpMessages();
  EXPECT_FALSE(Recognize());
  EXPECT_EQ(capture_.targetWindow, gone);
  EXPECT_EQ(capture_.captureArea, Rect{});
  EXPECT_EQ(messages_.shown, (std::vector<Shown>{{L"キャプチャ対象が離脱!", mb::kOk},
                                                 {L"キャプチャ失敗", mb::kIconError}}));
}

}  // namespace
}  // namespace lorik
