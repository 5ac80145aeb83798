#include "win32/ScreenGrabWin32.h"

#include <windows.h>

#include "win32/DibPicture.h"

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
  std::shared_ptr<DibPicture> picture =
      DibPicture::Create(area.Width(), area.Height(), bitsPerPixel);
  if (picture == nullptr) return nullptr;
  WindowDc sourceDc(window);
  if (sourceDc.Get() == nullptr) return nullptr;
  MemoryDc target(sourceDc.Get(), picture->Bitmap());
  if (target.Get() == nullptr) return nullptr;
  // Plain SRCCOPY: layered windows above the area are not part of the picture.
  if (!BitBlt(target.Get(), 0, 0, area.Width(), area.Height(), sourceDc.Get(), area.left, area.top,
              SRCCOPY)) {
    return nullptr;
  }
  // The bits are read by other threads without GDI; make sure the blit has landed.
  GdiFlush();
  return picture;
}

}  // namespace lorik
