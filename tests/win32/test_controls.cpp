// The custom-drawn controls on the real controls of the main window's template.
#include <windows.h>
// windows.h first: the headers below depend on it.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "controls/InfoProgressCtrl.h"
#include "controls/StaticBitmap.h"
#include "resource.h"
#include "ui/Dialog.h"
#include "win32/ControlsWin32.h"
#include "win32/DialogHostWin32.h"
#include "win32/DibPicture.h"

namespace lorik {
namespace {

HINSTANCE Self() {
  return GetModuleHandleW(nullptr);
}

constexpr COLORREF kOnBar = RGB(255, 0, 255);
constexpr COLORREF kOffBar = RGB(0, 255, 255);

class MainWindow : public ui::Dialog {
 public:
  MainWindow() : Dialog(IDD_LORIK_DIALOG) {}
  int barClicks = 0;

 protected:
  ui::MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        ui::MapCommand<&MainWindow::OnBarClicked>(IDC_PROGRESS_INFO, 0),
    };
    return kMap;
  }

 private:
  void OnBarClicked() { ++barClicks; }
};

// A client-sized, top-down 32-bit image of what a control paints.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// Renders `control` through WM_PRINTCLIENT, or copies it from the screen.
Pixels Capture(HWND control, bool fromScreen, uint32_t background = 0x123456) {
  RECT client{};
  GetClientRect(control, &client);
  Pixels out;
  out.width = client.right;
  out.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = out.width;
  info.bmiHeader.biHeight = -out.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  auto* words = static_cast<uint32_t*>(bits);
  for (int i = 0; i < out.width * out.height; ++i) words[i] = background;
  if (fromScreen) {
    HDC window = GetDC(control);
    BitBlt(memory, 0, 0, out.width, out.height, window, 0, 0, SRCCOPY);
    ReleaseDC(control, window);
  } else {
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  }
  GdiFlush();
  out.rgb.assign(words, words + out.width * out.height);
  for (auto& p : out.rgb) p &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
  return out;
}

bool Near(uint32_t rgb, COLORREF expected, int tolerance = 12) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return std::abs(r - GetRValue(expected)) <= tolerance &&
         std::abs(g - GetGValue(expected)) <= tolerance &&
         std::abs(b - GetBValue(expected)) <= tolerance;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A 1200 x 720 picture: blue in its top half, red in its bottom half.
std::shared_ptr<DibPicture> TwoBandPicture() {
  auto picture = DibPicture::Create(1200, 720, 24);
  for (int y = 0; y < picture->Height(); ++y) {
    uint8_t* row =
        picture->MutableBits() + static_cast<size_t>(picture->Height() - 1 - y) * picture->Pitch();
    for (int x = 0; x < picture->Width(); ++x) {
      const bool top = y < picture->Height() / 2;
      row[3 * x + 0] = top ? 255 : 0;  // blue
      row[3 * x + 1] = 0;
      row[3 * x + 2] = top ? 0 : 255;  // red
    }
  }
  return picture;
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.CreateModeless(main, {}));
    dialog = reinterpret_cast<HWND>(main.View()->Handle().value);
    barWindow = GetDlgItem(dialog, IDC_PROGRESS_INFO);
    thumbWindow = GetDlgItem(dialog, IDC_STATIC_THUMB);
    ASSERT_NE(barWindow, nullptr);
    ASSERT_NE(thumbWindow, nullptr);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(win32::AttachInfoProgress(dialog, IDC_PROGRESS_INFO, bar));
    ASSERT_TRUE(win32::AttachStaticBitmap(dialog, IDC_STATIC_THUMB, thumbnail));
    Pump();
  }
  void TearDown() override {
    if (main.IsOpen()) DestroyWindow(dialog);
  }

  // Gives the thumbnail a client of exactly 92 x 78 pixels.
  void SizeThumbnail() {
    RECT window{}, client{};
    GetWindowRect(thumbWindow, &window);
    GetClientRect(thumbWindow, &client);
    const int frameW = (window.right - window.left) - client.right;
    const int frameH = (window.bottom - window.top) - client.bottom;
    SetWindowPos(thumbWindow, nullptr, 0, 0, 92 + frameW, 78 + frameH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(thumbWindow, &client);
    ASSERT_EQ(client.right, 92);
    ASSERT_EQ(client.bottom, 78);
  }

  ui::DialogHostWin32 host{Self()};
  MainWindow main;
  CCustomProgressCtrl bar;
  CStaticBitmap thumbnail;
  HWND dialog = nullptr;
  HWND barWindow = nullptr;
  HWND thumbWindow = nullptr;
};

void ExpectScaledTwoBandPicture(const Pixels& p) {
  ASSERT_EQ(p.width, 92);
  ASSERT_EQ(p.height, 78);
  // Rows 0 to 21 and 77 stay black; rows 22 to 76 hold the picture, its top half blue.
  for (int x : {0, 45, 91}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(p.At(x, 0), 0u);
    EXPECT_EQ(p.At(x, 21), 0u);
    EXPECT_TRUE(Near(p.At(x, 23), RGB(0, 0, 255))) << std::hex << p.At(x, 23);
    EXPECT_TRUE(Near(p.At(x, 40), RGB(0, 0, 255))) << std::hex << p.At(x, 40);
    EXPECT_TRUE(Near(p.At(x, 60), RGB(255, 0, 0))) << std::hex << p.At(x, 60);
    EXPECT_TRUE(Near(p.At(x, 76), RGB(255, 0, 0))) << std::hex << p.At(x, 76);
    EXPECT_EQ(p.At(x, 77), 0u);
  }
}

TEST_F(ControlsTest, ThumbnailShowsThePictureScaledIntoTheBottomRows) {
  SizeThumbnail();
  thumbnail.SetPicture(TwoBandPicture());
  ExpectScaledTwoBandPicture(Capture(thumbWindow, false));
}

TEST_F(ControlsTest, ThumbnailPaintsTheWindowItself) {
  SizeThumbnail();
  thumbnail.SetPicture(TwoBandPicture());
  UpdateWindow(thumbWindow);
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(thumbWindow, &update, FALSE)) << "the paint validates";
  ExpectScaledTwoBandPicture(Capture(thumbWindow, true));
}

TEST_F(ControlsTest, ThumbnailDrawsAnyPictureLaidOutAsADib) {
  SizeThumbnail();
  // Not a DIB section: drawn from its rows.
  class RowsOnly final : public Picture {
   public:
    explicit RowsOnly(std::shared_ptr<DibPicture> dib) : dib_(std::move(dib)) {}
    int Width() const override { return dib_->Width(); }
    int Height() const override { return dib_->Height(); }
    int BitsPerPixel() const override { return dib_->BitsPerPixel(); }
    int Pitch() const override { return dib_->Pitch(); }
    const uint8_t* Bits() const override { return dib_->Bits(); }

   private:
    std::shared_ptr<DibPicture> dib_;
  };
  thumbnail.SetPicture(std::make_shared<RowsOnly>(TwoBandPicture()));
  ExpectScaledTwoBandPicture(Capture(thumbWindow, false));
}

TEST_F(ControlsTest, ThumbnailWithoutPicturePaintsNothing) {
  const Pixels p = Capture(thumbWindow, false, 0x123456);
  for (uint32_t rgb : p.rgb) ASSERT_EQ(rgb, 0x123456u);
  InvalidateRect(thumbWindow, nullptr, FALSE);
  UpdateWindow(thumbWindow);
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(thumbWindow, &update, FALSE));
}

TEST_F(ControlsTest, PictureFromAnotherThreadAsksForARepaint) {
  ValidateRect(thumbWindow, nullptr);
  std::thread saver([&] { thumbnail.SetPicture(TwoBandPicture()); });
  saver.join();
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(thumbWindow, &update, FALSE));
}

// The bar at half, with a text wide enough to cross the middle.
void ShowHalfBar(CCustomProgressCtrl& bar, HWND window) {
  bar.SetTextColors(kOnBar, kOffBar);
  bar.SetAnimation(false);
  bar.SetRange(0, 10000);
  bar.SetPos(5000);
  SetWindowTextW(window, L"WWWWWWWW");
}

void ExpectTwoColouredText(const Pixels& p) {
  const int split = 1 + (p.width - 2) / 2;
  int onLeft = 0, onRight = 0, offLeft = 0, offRight = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const uint32_t rgb = p.At(x, y);
      if (rgb == 0xFF00FF) (x < split ? onLeft : onRight)++;
      if (rgb == 0x00FFFF) (x < split ? offLeft : offRight)++;
    }
  }
  EXPECT_GT(onLeft, 0) << "text over the filled part";
  EXPECT_GT(offRight, 0) << "text over the empty part";
  EXPECT_EQ(onRight, 0);
  EXPECT_EQ(offLeft, 0);
}

TEST_F(ControlsTest, BarTextTakesTwoColoursSplitAtTheFill) {
  ShowHalfBar(bar, barWindow);
  ExpectTwoColouredText(Capture(barWindow, false));
}

TEST_F(ControlsTest, BarPaintsTheTextOverTheNativeBarOnScreen) {
  ShowHalfBar(bar, barWindow);
  UpdateWindow(barWindow);
  ExpectTwoColouredText(Capture(barWindow, true));
}

TEST_F(ControlsTest, BarPositionReachesTheNativeControlWithoutAnimating) {
  bar.SetAnimation(false);
  bar.SetRange(0, 10000);
  bar.SetPos(10000);
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETPOS, 0, 0), 10000);
  PBRANGE range{};
  SendMessageW(barWindow, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 10000);

  // PBM_ messages from outside go through the control too.
  SendMessageW(barWindow, PBM_SETPOS, 2500, 0);
  EXPECT_EQ(bar.Pos(), 2500);
  EXPECT_EQ(bar.AppliedPos(), 2500);
  EXPECT_EQ(SendMessageW(barWindow, PBM_GETPOS, 0, 0), 2500);

  SendMessageW(barWindow, PBM_SETSTATE, pbst::kError, 0);
  EXPECT_EQ(bar.State(), pbst::kError);
}

TEST_F(ControlsTest, SameTextTwiceDoesNotRepaint) {
  SetWindowTextW(barWindow, L"S 09:05:07");
  wchar_t text[32]{};
  GetWindowTextW(barWindow, text, 32);
  EXPECT_STREQ(text, L"S 09:05:07");
  EXPECT_EQ(bar.Text(), L"S 09:05:07");

  ValidateRect(barWindow, nullptr);
  SetWindowTextW(barWindow, L"S 09:05:07");
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(barWindow, &update, FALSE));
  SetWindowTextW(barWindow, L"S 09:05:08");
  EXPECT_TRUE(GetUpdateRect(barWindow, &update, FALSE));
}

TEST_F(ControlsTest, ClickOnTheBarTellsTheMainWindow) {
  SendMessageW(barWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(barWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(main.barClicks, 1);
}

TEST_F(ControlsTest, DestroyingTheWindowDetachesBoth) {
  DestroyWindow(dialog);
  EXPECT_FALSE(bar.Attached());
  bar.SetPos(10);
  thumbnail.SetPicture(TwoBandPicture());
  EXPECT_EQ(bar.Pos(), 10);
}

TEST_F(ControlsTest, AttachingToAMissingControlFails) {
  CCustomProgressCtrl other;
  EXPECT_FALSE(win32::AttachInfoProgress(dialog, 4242, other));
  CStaticBitmap otherThumbnail;
  EXPECT_FALSE(win32::AttachStaticBitmap(dialog, 4242, otherThumbnail));
}

}  // namespace
}  // namespace lorik
