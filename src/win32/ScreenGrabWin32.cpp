#include "win32/ScreenGrabWin32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/PixelPicture.h"
#include "win32/DibPicture.h"
#include "win32/SystemDll.h"
#include "win32/ThreadDpiScope.h"

namespace lorik {
namespace {

// Releases a window DC on every path out of the grab.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory DC with a bitmap selected into it; both deselected and freed on exit.
class MemoryDc {
 public:
  MemoryDc(HDC compatibleWith, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatibleWith)) {
    if (dc_ != nullptr) old_ = SelectObject(dc_, bitmap);
  }
  ~MemoryDc() {
    if (dc_ == nullptr) return;
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return old_ != nullptr && old_ != HGDI_ERROR ? dc_ : nullptr; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle.value);
}

// Windows 8.1 and later: composed content (DirectComposition, DirectX) too.
constexpr UINT kRenderFullContent = 0x2;

// The DIB sections the grab draws into, one per size, reused from grab to
// grab: a held frame is plain memory and owns no GDI object, so a long history
// cannot use up the process's GDI handles. Per thread, so no lock is needed;
// a few sizes (the capture area, the whole client area of the recognition).
std::shared_ptr<DibPicture> SurfaceFor(int width, int height, int bitsPerPixel) {
  constexpr size_t kSizesKept = 4;
  thread_local std::vector<std::shared_ptr<DibPicture>> surfaces;
  for (size_t i = 0; i < surfaces.size(); ++i) {
    const auto& s = surfaces[i];
    if (s->Width() == width && s->Height() == height && s->BitsPerPixel() == bitsPerPixel) {
      // The most recently used first.
      std::rotate(surfaces.begin(), surfaces.begin() + static_cast<ptrdiff_t>(i),
                  surfaces.begin() + static_cast<ptrdiff_t>(i) + 1);
      return surfaces.front();
    }
  }
  std::shared_ptr<DibPicture> surface = DibPicture::Create(width, height, bitsPerPixel);
  if (surface == nullptr) return nullptr;
  if (surfaces.size() >= kSizesKept) surfaces.pop_back();
  surfaces.insert(surfaces.begin(), surface);
  return surface;
}

// `source` of `sourceDc` into a new picture of `area`'s size: copied, or
// halftoned where the source has another size (the screen under a window of
// another DPI awareness).
std::shared_ptr<const Picture> BlitInto(HDC sourceDc, const RECT& source, const Rect& area,
                                        int bitsPerPixel) {
  if (sourceDc == nullptr) return nullptr;
  std::shared_ptr<DibPicture> surface = SurfaceFor(area.Width(), area.Height(), bitsPerPixel);
  std::shared_ptr<PixelPicture> picture =
      PixelPicture::Create(area.Width(), area.Height(), bitsPerPixel);
  if (surface == nullptr || picture == nullptr || surface->Pitch() != picture->Pitch()) {
    return nullptr;
  }
  MemoryDc target(sourceDc, surface->Bitmap());
  if (target.Get() == nullptr) return nullptr;
  const int width = source.right - source.left;
  const int height = source.bottom - source.top;
  // Plain SRCCOPY: layered windows above the area are not part of the picture.
  if (width == area.Width() && height == area.Height()) {
    if (!BitBlt(target.Get(), 0, 0, width, height, sourceDc, source.left, source.top, SRCCOPY)) {
      return nullptr;
    }
  } else {
    SetStretchBltMode(target.Get(), HALFTONE);
    SetBrushOrgEx(target.Get(), 0, 0, nullptr);
    if (!StretchBlt(target.Get(), 0, 0, area.Width(), area.Height(), sourceDc, source.left,
                    source.top, width, height, SRCCOPY)) {
      return nullptr;
    }
  }
  // The blit must have landed before the bits are copied out.
  GdiFlush();
  std::memcpy(picture->MutableBits(), surface->Bits(),
              static_cast<size_t>(picture->Pitch()) * static_cast<size_t>(picture->Height()));
  return picture;
}

// Asks the window's thread to answer a message that does nothing, within a
// short limit: PrintWindow makes that thread draw, and a thread that has
// stopped answering (a page while it loads) would hold this one with it.
constexpr UINT kAnswerLimitMs = 100;
bool WindowAnswers(HWND window) {
  if (IsHungAppWindow(window)) return false;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kAnswerLimitMs,
                             &result) != 0;
}

RECT ToRect(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

std::shared_ptr<const Picture> GrabWindowDc(HWND window, const Rect& area, int bitsPerPixel) {
  const ThreadDpiScope dpi(window);
  WindowDc sourceDc(window);
  return BlitInto(sourceDc.Get(), ToRect(area), area, bitsPerPixel);
}

// The desktop window's area is the screen's, in physical pixels as the
// desktop-mode area and the tracked window's rectangle are measured.
std::shared_ptr<const Picture> GrabDesktop(HWND desktop, const Rect& area, int bitsPerPixel) {
  const ThreadDpiScope dpi(ThreadDpiScope::PerMonitor{});
  WindowDc sourceDc(desktop);
  return BlitInto(sourceDc.Get(), ToRect(area), area, bitsPerPixel);
}

// The window renders its whole client area into a bitmap of its own, from
// which the area is cut.
std::shared_ptr<const Picture> GrabPrinted(HWND window, const Rect& area, int bitsPerPixel) {
  if (!WindowAnswers(window)) return nullptr;
  const ThreadDpiScope dpi(window);
  RECT client{};
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return nullptr;
  WindowDc windowDc(window);
  if (windowDc.Get() == nullptr) return nullptr;
  HBITMAP whole = CreateCompatibleBitmap(windowDc.Get(), client.right, client.bottom);
  if (whole == nullptr) return nullptr;
  std::shared_ptr<const Picture> picture;
  {
    MemoryDc printed(windowDc.Get(), whole);
    if (printed.Get() != nullptr &&
        PrintWindow(window, printed.Get(), PW_CLIENTONLY | kRenderFullContent)) {
      picture = BlitInto(printed.Get(), ToRect(area), area, bitsPerPixel);
    }
  }
  DeleteObject(whole);
  return picture;
}

// The area (the window's own pixels) on the screen in physical pixels: moved
// at the window's awareness, then converted.
RECT ScreenRectOf(HWND window, const Rect& area) {
  POINT topLeft{area.left, area.top};
  POINT bottomRight{area.right, area.bottom};
  {
    const ThreadDpiScope dpi(window);
    ClientToScreen(window, &topLeft);
    ClientToScreen(window, &bottomRight);
  }
  topLeft = LogicalToPhysical(window, topLeft);
  bottomRight = LogicalToPhysical(window, bottomRight);
  return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

// The screen is read in physical pixels; a window that the platform scales
// up shows more of them than its own, and the picture keeps the area's size.
std::shared_ptr<const Picture> GrabScreen(HWND window, const Rect& area, int bitsPerPixel) {
  const RECT onScreen = ScreenRectOf(window, area);
  const ThreadDpiScope dpi(ThreadDpiScope::PerMonitor{});
  WindowDc screenDc(nullptr);
  return BlitInto(screenDc.Get(), onScreen, area, bitsPerPixel);
}

// DwmGetWindowAttribute, looked up: DWMWA_CLOAKED says whether the compositor
// hides a shown window (one of another virtual desktop, a suspended app).
bool IsCloaked(HWND window) {
  using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const GetAttribute getAttribute =
      win32::SystemDll(L"dwmapi.dll").Find<GetAttribute>("DwmGetWindowAttribute");
  constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED
  DWORD cloaked = 0;
  return getAttribute != nullptr &&
         SUCCEEDED(getAttribute(window, kCloaked, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

// A window above the target that a user does not see there: cloaked, one of
// this program's own (its main window, its messages), or a layered overlay
// that lets the mouse through and draws nothing over it (click-through, or
// fully transparent), as the overlays of game launchers and drivers are.
bool IsUnseenOverlay(HWND window, bool skipOwnWindows) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (skipOwnWindows && process == GetCurrentProcessId()) return true;
  if (IsCloaked(window)) return true;
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if ((exStyle & WS_EX_LAYERED) == 0) return false;
  if ((exStyle & WS_EX_TRANSPARENT) != 0) return true;
  BYTE alpha = 255;
  DWORD flags = 0;
  return GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) != 0 &&
         alpha == 0;
}

}  // namespace

bool ScreenGrabWin32::IsWindow(WindowHandle source) {
  return ::IsWindow(ToHwnd(source)) != FALSE;
}

bool ScreenGrabWin32::IsWindowVisible(WindowHandle source) {
  return ::IsWindowVisible(ToHwnd(source)) != FALSE;
}

std::shared_ptr<const Picture> ScreenGrabWin32::Grab(WindowHandle source, const Rect& area,
                                                     int bitsPerPixel) {
  // A null handle would silently give the screen; the caller means the desktop
  // window when it wants the screen.
  if (!source) return nullptr;
  const HWND window = ToHwnd(source);
  if (window == GetDesktopWindow()) return GrabDesktop(window, area, bitsPerPixel);
  return GrabWindowDc(window, area, bitsPerPixel);
}

std::shared_ptr<const Picture> ScreenGrabWin32::GrabBy(GrabMethod method, WindowHandle source,
                                                       const Rect& area, int bitsPerPixel) {
  if (!source) return nullptr;
  const HWND window = ToHwnd(source);
  if (window == GetDesktopWindow()) return GrabDesktop(window, area, bitsPerPixel);
  switch (method) {
    case GrabMethod::kWindowDc:
      break;
    case GrabMethod::kPrintWindow:
      return GrabPrinted(window, area, bitsPerPixel);
    case GrabMethod::kScreen:
      return GrabScreen(window, area, bitsPerPixel);
  }
  return GrabWindowDc(window, area, bitsPerPixel);
}

bool ScreenGrabWin32::Answers(WindowHandle source) {
  return source && WindowAnswers(ToHwnd(source));
}

bool ScreenGrabWin32::IsAreaCovered(WindowHandle source, const Rect& area) {
  const HWND window = ToHwnd(source);
  const HWND root = GetAncestor(window, GA_ROOT);
  if (root == nullptr || IsIconic(root)) return true;
  const RECT onScreen = ScreenRectOf(window, area);
  // Everything below in physical pixels, as the screen rectangle.
  const ThreadDpiScope dpi(ThreadDpiScope::PerMonitor{});
  const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT inside{};
  if (!IntersectRect(&inside, &onScreen, &screen) || !EqualRect(&inside, &onScreen)) return true;
  // Every shown top-level window above the target's in the Z order that a
  // user could see there.
  for (HWND above = GetWindow(root, GW_HWNDPREV); above != nullptr;
       above = GetWindow(above, GW_HWNDPREV)) {
    if (!::IsWindowVisible(above) || IsUnseenOverlay(above, skipOwnWindows_)) continue;
    RECT rect{};
    RECT overlap{};
    if (GetWindowRect(above, &rect) && IntersectRect(&overlap, &rect, &onScreen)) return true;
  }
  return false;
}

}  // namespace lorik
