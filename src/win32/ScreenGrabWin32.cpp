#include "win32/ScreenGrabWin32.h"

#include <windows.h>

#include "win32/DibPicture.h"
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

// `source` of `sourceDc` into a new picture of `area`'s size: copied, or
// halftoned where the source has another size (the screen under a window of
// another DPI awareness).
std::shared_ptr<const Picture> BlitInto(HDC sourceDc, const RECT& source, const Rect& area,
                                        int bitsPerPixel) {
  std::shared_ptr<DibPicture> picture =
      DibPicture::Create(area.Width(), area.Height(), bitsPerPixel);
  if (picture == nullptr || sourceDc == nullptr) return nullptr;
  MemoryDc target(sourceDc, picture->Bitmap());
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
  // The bits are read by other threads without GDI; make sure the blit has landed.
  GdiFlush();
  return picture;
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
  // Every shown top-level window above the target's in the Z order.
  for (HWND above = GetWindow(root, GW_HWNDPREV); above != nullptr;
       above = GetWindow(above, GW_HWNDPREV)) {
    if (!::IsWindowVisible(above)) continue;
    RECT rect{};
    RECT overlap{};
    if (GetWindowRect(above, &rect) && IntersectRect(&overlap, &rect, &onScreen)) return true;
  }
  return false;
}

}  // namespace lorik
