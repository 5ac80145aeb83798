// The other grab methods and the grab chain against the real API.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

#include "grab/GrabChain.h"
#include "grab/GrabGrid.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "support/PumpMessages.h"
#include "win32/ProcessTableWin32.h"
#include "win32/ScreenGrabWin32.h"
#include "win32/ThreadDpiScope.h"
#include "win32/WindowSystemWin32.h"

namespace lorik {
namespace {

struct Rgb {
  uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

constexpr int kClientWidth = 200;
constexpr int kClientHeight = 120;
constexpr Rgb kQuadrants[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};

Rgb QuadrantColour(int x, int y) {
  return kQuadrants[(y >= kClientHeight / 2 ? 2 : 0) + (x >= kClientWidth / 2 ? 1 : 0)];
}

Rgb PixelAt(const Picture& picture, int x, int y) {
  const uint8_t* p = picture.TopDownRow(y) + x * (picture.BitsPerPixel() / 8);
  return {p[2], p[1], p[0]};
}

// What the window paints, in its user data.
enum Paints : LONG_PTR { kQuadrantsPainted = 0, kBlackPainted = 1, kShadePainted = 2 };

// Paints on WM_PAINT and on WM_PRINTCLIENT alike, as a program must for PrintWindow.
void Paint(HWND window, HDC dc) {
  const LONG_PTR paints = GetWindowLongPtrW(window, GWLP_USERDATA);
  if (paints >= kShadePainted) {
    // A page that changes: a new shade each time it is told to.
    const int shade = static_cast<int>(paints % 200) + 20;
    RECT all{0, 0, kClientWidth, kClientHeight};
    HBRUSH brush = CreateSolidBrush(RGB(shade, 255 - shade, 60));
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    return;
  }
  for (int q = 0; q < 4; ++q) {
    const int x = (q % 2) * kClientWidth / 2;
    const int y = (q / 2) * kClientHeight / 2;
    const Rgb c = paints == kBlackPainted ? Rgb{0, 0, 0} : QuadrantColour(x, y);
    RECT r{x, y, x + kClientWidth / 2, y + kClientHeight / 2};
    HBRUSH brush = CreateSolidBrush(RGB(c.r, c.g, c.b));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
}

LRESULT CALLBACK PaintedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      Paint(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(window, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

using lorik::testing::PumpMessages;

class StepClock final : public ClockPort {
 public:
  SystemTime LocalTime() override { return {}; }
  uint64_t TickCount() override { return tick; }
  uint64_t tick = 1000;
};

class CountingMessages final : public MessageBoxPort {
 public:
  int Show(std::wstring_view, std::wstring_view, unsigned) override {
    ++shown;
    return 1;
  }
  void Beep() override {}
  void SetOwner(WindowHandle) override {}
  int shown = 0;
};

// A framed top-level window, topmost, that paints what its test asks for.
class GrabMethodTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PaintedWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LorikGrabMethodWindow";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
  }

  HWND Open(int x, int y, Paints paints) {
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"LorikGrabMethodWindow", L"grab", style, x, y,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    opened_.push_back(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, paints);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    PumpMessages();
    return window;
  }

  void SetUp() override {
    window_ = Open(40, 40, kQuadrantsPainted);
    ASSERT_NE(window_, nullptr);
    RECT client{};
    GetClientRect(window_, &client);
    ASSERT_EQ(client.right, kClientWidth);
    ASSERT_EQ(client.bottom, kClientHeight);
  }
  void TearDown() override {
    for (HWND window : opened_) DestroyWindow(window);
    PumpMessages();
  }

  void Repaint(HWND window, LONG_PTR paints) {
    SetWindowLongPtrW(window, GWLP_USERDATA, paints);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }

  static WindowHandle Handle(HWND window) { return {reinterpret_cast<uintptr_t>(window)}; }

  HWND window_ = nullptr;
  std::vector<HWND> opened_;
  // The windows that cover the target here are this test's own.
  ScreenGrabWin32 grab_{false};
};

class GrabMethodDepthTest : public GrabMethodTest,
                            public ::testing::WithParamInterface<std::tuple<GrabMethod, int>> {};

TEST_P(GrabMethodDepthTest, GivesThePaintedClientAreaCroppedToTheRectangle) {
  const auto [method, bits] = GetParam();
  // Across the quadrants' borders, away from the client origin.
  const Rect area{60, 30, 160, 100};
  const auto picture = grab_.GrabBy(method, Handle(window_), area, bits);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), area.Width());
  EXPECT_EQ(picture->Height(), area.Height());
  EXPECT_EQ(picture->BitsPerPixel(), bits);
  const int points[][2] = {{0, 0}, {39, 29}, {40, 29}, {39, 30}, {40, 30}, {99, 69}};
  for (const auto& p : points) {
    SCOPED_TRACE(::testing::Message() << "at " << p[0] << ", " << p[1]);
    EXPECT_EQ(PixelAt(*picture, p[0], p[1]), QuadrantColour(area.left + p[0], area.top + p[1]));
  }
}

INSTANTIATE_TEST_SUITE_P(MethodsAndDepths, GrabMethodDepthTest,
                         ::testing::Combine(::testing::Values(GrabMethod::kWindowDc,
                                                              GrabMethod::kPrintWindow,
                                                              GrabMethod::kScreen),
                                            ::testing::Values(24, 32)));

TEST_F(GrabMethodTest, TheAreaIsCoveredByAWindowAboveItOnly) {
  const Rect area{0, 0, kClientWidth, kClientHeight};
  EXPECT_FALSE(grab_.IsAreaCovered(Handle(window_), area));
  // Beside the window: nothing covers it.
  HWND beside = Open(600, 500, kQuadrantsPainted);
  ASSERT_NE(beside, nullptr);
  EXPECT_FALSE(grab_.IsAreaCovered(Handle(window_), area));
  HWND over = Open(100, 80, kQuadrantsPainted);
  ASSERT_NE(over, nullptr);
  EXPECT_TRUE(grab_.IsAreaCovered(Handle(window_), area));
  // Only the part of the area that the other window leaves free.
  EXPECT_FALSE(grab_.IsAreaCovered(Handle(window_), Rect{0, 0, 20, 20}));
  ShowWindow(over, SW_HIDE);
  PumpMessages();
  EXPECT_FALSE(grab_.IsAreaCovered(Handle(window_), area));
}

// What a user cannot see over the target does not cover it: overlays that let
// the mouse through or draw nothing, and this program's own windows.
TEST_F(GrabMethodTest, OnlyWhatAUserSeesCoversTheArea) {
  const Rect area{0, 0, kClientWidth, kClientHeight};
  struct Case {
    const char* name;
    DWORD exStyle;
    std::optional<BYTE> alpha;  // layered with this alpha
    bool covers;
  };
  const Case cases[] = {
      {"click-through overlay", WS_EX_LAYERED | WS_EX_TRANSPARENT, BYTE{200}, false},
      {"fully transparent layered window", WS_EX_LAYERED, BYTE{0}, false},
      {"opaque layered window", WS_EX_LAYERED, BYTE{255}, true},
      {"half-transparent layered window", WS_EX_LAYERED, BYTE{128}, true},
      {"ordinary window", 0, std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND over = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | c.exStyle,
                                L"LorikGrabMethodWindow", L"overlay", WS_POPUP, 60, 60, 120, 90,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(over, nullptr);
    opened_.push_back(over);
    if (c.alpha) SetLayeredWindowAttributes(over, 0, *c.alpha, LWA_ALPHA);
    SetWindowPos(over, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages();
    EXPECT_EQ(grab_.IsAreaCovered(Handle(window_), area), c.covers);
    // This program's own windows never cover it for the program itself.
    EXPECT_FALSE(ScreenGrabWin32().IsAreaCovered(Handle(window_), area));
    ShowWindow(over, SW_HIDE);
    PumpMessages();
  }
}

// A window whose thread stops answering (a page while it loads) must not hold
// the grabbing thread: PrintWindow is not tried on it, the window DC still is.
TEST_F(GrabMethodTest, AWindowThatDoesNotAnswerIsNotAskedToPrint) {
  std::atomic<HWND> stuck{nullptr};
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([&] {
    HWND window =
        CreateWindowExW(0, L"LorikGrabMethodWindow", L"stuck", WS_OVERLAPPEDWINDOW, 300, 300, 200,
                        150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    stuck = window;
    // The thread stops answering until released.
    WaitForSingleObject(release, 10000);
    DestroyWindow(window);
  });
  while (stuck.load() == nullptr) Sleep(5);
  const WindowHandle handle = Handle(stuck.load());
  const Rect area{0, 0, 50, 50};
  EXPECT_TRUE(grab_.Answers(Handle(window_)));
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(grab_.Answers(handle));
  EXPECT_EQ(grab_.GrabBy(GrabMethod::kPrintWindow, handle, area, 24), nullptr);
  std::printf("a window that does not answer: asked twice in %llu ms\n",
              static_cast<unsigned long long>(GetTickCount64() - start));
  EXPECT_NE(grab_.GrabBy(GrabMethod::kWindowDc, handle, area, 24), nullptr);
  SetEvent(release);
  owner.join();
  CloseHandle(release);
}

// Held frames are plain memory: far more of them than Wine's shared table of
// 65,536 GDI handles and Windows' quota of 10,000 per process are held here,
// and every grab still succeeds.
TEST_F(GrabMethodTest, SeventyThousandHeldFramesOwnNoGdiHandle) {
  constexpr int kFrames = 70000;
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  std::vector<std::shared_ptr<const Picture>> held;
  held.reserve(kFrames);
  int failed = 0;
  for (int i = 0; i < kFrames; ++i) {
    auto picture = grab_.Grab(Handle(window_), Rect{0, 0, 4, 4}, 24);
    if (picture == nullptr) {
      ++failed;
    } else {
      held.push_back(std::move(picture));
    }
  }
  const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  std::printf("GDI objects of the process: %lu before, %lu with %d frames held\n",
              static_cast<unsigned long>(gdiBefore), static_cast<unsigned long>(gdiAfter),
              static_cast<int>(held.size()));
  EXPECT_EQ(failed, 0);
  ASSERT_EQ(held.size(), static_cast<size_t>(kFrames));
  EXPECT_EQ(PixelAt(*held.back(), 0, 0), QuadrantColour(0, 0));
  // The grab's reused surface at most, never one per frame.
  EXPECT_LE(gdiAfter, gdiBefore + 4);
}

TEST_F(GrabMethodTest, AWindowPaintedBlackIsBlankAndTheChainKeepsItsFirstMethod) {
  Repaint(window_, kBlackPainted);
  PumpMessages();
  const Rect area{0, 0, kClientWidth, kClientHeight};
  for (GrabMethod method : {GrabMethod::kWindowDc, GrabMethod::kPrintWindow, GrabMethod::kScreen}) {
    const auto picture = grab_.GrabBy(method, Handle(window_), area, 32);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(SampleGrid(*picture).IsBlank()) << static_cast<int>(method);
  }
  WindowSystemWin32 windows;
  ProcessTableWin32 processes;
  StepClock clock;
  CountingMessages messages;
  GrabChain chain(grab_, windows, processes, clock, messages);
  for (int i = 0; i < 50; ++i) {
    clock.tick += 100;
    ASSERT_NE(chain.Grab(Handle(window_), area, 32), nullptr);
  }
  // The screen shows it black too: a black window, not a failed grab.
  EXPECT_EQ(chain.MethodInUse(), GrabMethod::kWindowDc);
  EXPECT_EQ(messages.shown, 0);
}

TEST_F(GrabMethodTest, AChangingPageIsNotStale) {
  const Rect area{0, 0, kClientWidth, kClientHeight};
  WindowSystemWin32 windows;
  ProcessTableWin32 processes;
  StepClock clock;
  CountingMessages messages;
  GrabChain chain(grab_, windows, processes, clock, messages);
  std::optional<GrabGrid> previous;
  for (int i = 0; i < 50; ++i) {
    Repaint(window_, kShadePainted + i);
    clock.tick += 100;
    const auto picture = chain.Grab(Handle(window_), area, 32);
    ASSERT_NE(picture, nullptr);
    const GrabGrid grid = SampleGrid(*picture);
    EXPECT_FALSE(grid.IsBlank());
    if (previous) {
      EXPECT_NE(grid, *previous) << "tick " << i;
    }
    previous = grid;
  }
  EXPECT_EQ(chain.MethodInUse(), GrabMethod::kWindowDc);
  EXPECT_EQ(messages.shown, 0);
}

TEST_F(GrabMethodTest, ThreadDpiAwarenessIsSetForTheScopeOrLeftAlone) {
  using GetThreadContext = void*(WINAPI*)();
  const auto getThread = reinterpret_cast<GetThreadContext>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetThreadDpiAwarenessContext")));
  std::printf("DPI awareness calls %s\n", ThreadDpiScope::Available() ? "found" : "missing");
  void* before = getThread != nullptr ? getThread() : nullptr;
  {
    const ThreadDpiScope scope(window_);
    EXPECT_TRUE(!scope.Applied() || ThreadDpiScope::Available());
    // A grab inside a scope nests another one.
    EXPECT_NE(grab_.Grab(Handle(window_), Rect{0, 0, 10, 10}, 24), nullptr);
  }
  {
    // No window: nothing to take the awareness from.
    const ThreadDpiScope none(nullptr);
    EXPECT_FALSE(none.Applied());
  }
  if (getThread != nullptr) {
    EXPECT_EQ(getThread(), before);
  }
}

}  // namespace
}  // namespace lorik
