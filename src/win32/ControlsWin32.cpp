#include "win32/ControlsWin32.h"

#include <windows.h>

#include <memory>
#include <string>

#include "win32/CommonControls.h"
#include "win32/DibPicture.h"
#include "win32/EdgeGuard.h"

namespace lorik::win32 {
namespace {

constexpr UINT_PTR kProgressSubclass = 0x4C50;  // one subclass per control kind
constexpr UINT_PTR kThumbnailSubclass = 0x4C54;

const wchar_t* PropertyOf(UINT_PTR subclass) {
  return subclass == kProgressSubclass ? L"Lorik.InfoProgress" : L"Lorik.StaticBitmap";
}

RECT ToRect(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

Rect ClientOf(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

// A clip region for a rectangle in logical coordinates; SelectClipRgn wants
// device coordinates, which differ when WM_PRINT has moved the origin.
void SelectClipRect(HDC dc, const Rect& clip) {
  POINT corners[2] = {{clip.left, clip.top}, {clip.right, clip.bottom}};
  LPtoDP(dc, corners, 2);
  HRGN region = CreateRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
  SelectClipRgn(dc, region);
  DeleteObject(region);
}

HFONT CopyFont(HFONT font) {
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) != sizeof(logFont)) {
    return nullptr;
  }
  return CreateFontIndirectW(&logFont);
}

// A copy of the control's own font, or of the dialog's, or of the GUI font.
HFONT CopyFontOf(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (font == nullptr) {
    font = reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0));
  }
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return CopyFont(font);
}

class OverlayPainterGdi final : public OverlayTextPainter {
 public:
  OverlayPainterGdi(HDC dc, HFONT font) : dc_(dc) {
    if (font != nullptr) oldFont_ = SelectObject(dc_, font);
    oldMode_ = SetBkMode(dc_, TRANSPARENT);
    oldColour_ = GetTextColor(dc_);
  }
  ~OverlayPainterGdi() override {
    SelectClipRgn(dc_, nullptr);
    SetTextColor(dc_, oldColour_);
    SetBkMode(dc_, oldMode_);
    if (oldFont_ != nullptr) SelectObject(dc_, oldFont_);
  }
  OverlayPainterGdi(const OverlayPainterGdi&) = delete;
  OverlayPainterGdi& operator=(const OverlayPainterGdi&) = delete;

  void DrawClippedText(const std::wstring& text, const Rect& textRect, const Rect& clip,
                       ColourRef colour) override {
    SetTextColor(dc_, ResolveColour(colour));
    SelectClipRect(dc_, clip);
    RECT r = ToRect(textRect);
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

 private:
  HDC dc_;
  HGDIOBJ oldFont_ = nullptr;
  int oldMode_ = 0;
  COLORREF oldColour_ = 0;
};

// The native bar under one CInfoProgressCtrl. Messages it sends to its own
// window pass the subclass untouched, so they reach the native control.
class ProgressAdapter final : public NativeProgressBar {
 public:
  ProgressAdapter(HWND window, CInfoProgressCtrl& control, HFONT font)
      : window(window), control(control), font(font) {}
  ~ProgressAdapter() override {
    if (font != nullptr) DeleteObject(font);
  }
  ProgressAdapter(const ProgressAdapter&) = delete;
  ProgressAdapter& operator=(const ProgressAdapter&) = delete;

  int SetRange(int16_t lower, int16_t upper) override {
    return static_cast<int>(
        Forward(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper))));
  }
  int SetRange32(int lower, int upper) override {
    return static_cast<int>(Forward(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper));
  }
  int SetPos(int pos) override {
    return static_cast<int>(Forward(PBM_SETPOS, static_cast<WPARAM>(pos), 0));
  }
  int DeltaPos(int delta) override {
    return static_cast<int>(Forward(PBM_DELTAPOS, static_cast<WPARAM>(delta), 0));
  }
  int SetStep(int step) override {
    return static_cast<int>(Forward(PBM_SETSTEP, static_cast<WPARAM>(step), 0));
  }
  int StepIt() override { return static_cast<int>(Forward(PBM_STEPIT, 0, 0)); }
  int SetState(int state) override {
    return static_cast<int>(Forward(PBM_SETSTATE, static_cast<WPARAM>(state), 0));
  }
  ProgressRange GetRange() override {
    PBRANGE range{};
    Forward(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    return {range.iLow, range.iHigh};
  }
  int GetPos() override { return static_cast<int>(Forward(PBM_GETPOS, 0, 0)); }
  intptr_t SetText(const std::wstring& text) override {
    return Forward(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void InvalidateErasing() override { InvalidateRect(window, nullptr, TRUE); }
  void NotifyParent(uint16_t code) override {
    const WORD id = static_cast<WORD>(GetDlgCtrlID(window));
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(window));
  }

  LRESULT Forward(UINT message, WPARAM wParam, LPARAM lParam) {
    ++forwarding;
    const LRESULT result = SendMessageW(window, message, wParam, lParam);
    --forwarding;
    return result;
  }

  HWND window;
  CInfoProgressCtrl& control;
  HFONT font;
  int forwarding = 0;
};

void PaintOverlay(ProgressAdapter& bar, HDC dc) {
  OverlayPainterGdi painter(dc, bar.font);
  bar.control.OnPaint(ClientOf(bar.window), painter);
}

LRESULT HandleProgressMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              DWORD_PTR data);
constexpr SUBCLASSPROC ProgressProc = GuardedSubclassProc<HandleProgressMessage>;

LRESULT HandleProgressMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              DWORD_PTR data) {
  auto& bar = *reinterpret_cast<ProgressAdapter*>(data);
  if (bar.forwarding > 0) return CommonControls().defSubclassProc(window, message, wParam, lParam);
  CInfoProgressCtrl& control = bar.control;
  switch (message) {
    case WM_PAINT: {
      // The native bar paints itself (and validates), then the text goes over it.
      const LRESULT result = CommonControls().defSubclassProc(window, message, wParam, lParam);
      if (HDC dc = GetDC(window)) {
        PaintOverlay(bar, dc);
        ReleaseDC(window, dc);
      }
      return result;
    }
    case WM_PRINTCLIENT: {
      const LRESULT result = CommonControls().defSubclassProc(window, message, wParam, lParam);
      PaintOverlay(bar, reinterpret_cast<HDC>(wParam));
      return result;
    }
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      return control.OnSetText(text != nullptr ? std::wstring(text) : std::wstring());
    }
    case WM_LBUTTONUP:
      control.OnLButtonUp();
      return CommonControls().defSubclassProc(window, message, wParam, lParam);
    case WM_SETFONT: {
      // A new DPI's font: the overlay draws with a copy of it from now on.
      const LRESULT result = CommonControls().defSubclassProc(window, message, wParam, lParam);
      if (HFONT font = CopyFont(reinterpret_cast<HFONT>(wParam))) {
        if (bar.font != nullptr) DeleteObject(bar.font);
        bar.font = font;
        if (LOWORD(lParam) != 0) InvalidateRect(window, nullptr, TRUE);
      }
      return result;
    }
    case PBM_SETRANGE:
      return control.SetRange(static_cast<int16_t>(LOWORD(lParam)),
                              static_cast<int16_t>(HIWORD(lParam)));
    case PBM_SETRANGE32:
      return control.SetRange32(static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_SETPOS:
      return control.SetPos(static_cast<int>(wParam));
    case PBM_DELTAPOS:
      return control.OffsetPos(static_cast<int>(wParam));
    case PBM_SETSTEP:
      return control.SetStep(static_cast<int>(wParam));
    case PBM_STEPIT:
      return control.StepIt();
    case PBM_SETSTATE:
      return control.SetState(static_cast<int>(wParam));
    case WM_NCDESTROY: {
      control.Attach(nullptr);
      CommonControls().removeWindowSubclass(window, ProgressProc, kProgressSubclass);
      RemovePropW(window, PropertyOf(kProgressSubclass));
      delete &bar;
      return CommonControls().defSubclassProc(window, message, wParam, lParam);
    }
    default:
      return CommonControls().defSubclassProc(window, message, wParam, lParam);
  }
}

class ThumbnailAdapter final : public ThumbnailWindow {
 public:
  ThumbnailAdapter(HWND window, CStaticBitmap& control) : window(window), control(control) {}
  // InvalidateRect may be called from any thread.
  void Invalidate() override { InvalidateRect(window, nullptr, FALSE); }

  HWND window;
  CStaticBitmap& control;
};

// Stretches `picture` into `destination` of `target`, halftoned.
void StretchPicture(HDC target, const Picture& picture, const Rect& destination) {
  SetStretchBltMode(target, HALFTONE);
  SetBrushOrgEx(target, 0, 0, nullptr);
  const int iw = picture.Width();
  const int ih = picture.Height();
  if (const auto* dib = dynamic_cast<const DibPicture*>(&picture)) {
    if (HDC source = CreateCompatibleDC(target)) {
      const HGDIOBJ old = SelectObject(source, dib->Bitmap());
      const bool selected = old != nullptr && old != HGDI_ERROR;
      if (selected) {
        StretchBlt(target, destination.left, destination.top, destination.Width(),
                   destination.Height(), source, 0, 0, iw, ih, SRCCOPY);
        SelectObject(source, old);
      }
      DeleteDC(source);
      if (selected) return;
    }
  }
  // Any other picture, or a bitmap selected elsewhere: straight from its rows,
  // which are laid out as a DIB's.
  if (picture.Pitch() != (iw * picture.BitsPerPixel() + 31) / 32 * 4) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = iw;
  info.bmiHeader.biHeight = ih;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(picture.BitsPerPixel());
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(target, destination.left, destination.top, destination.Width(),
                destination.Height(), 0, 0, iw, ih, picture.Bits(), &info, DIB_RGB_COLORS, SRCCOPY);
}

// One paint of the thumbnail: into the window through BeginPaint, or into a
// given device context for WM_PRINTCLIENT.
class ThumbnailPainterGdi final : public ThumbnailPainter {
 public:
  ThumbnailPainterGdi(HWND window, HDC printTarget) : window_(window), printTarget_(printTarget) {}

  Size ClientSize() override { return ClientOf(window_).GetSize(); }

  void PaintNothing() override {
    if (printTarget_ != nullptr) return;
    PAINTSTRUCT paint;
    BeginPaint(window_, &paint);
    EndPaint(window_, &paint);
  }

  // Drawn off-screen and copied in one BitBlt, so replacing the picture
  // several times a second does not flicker.
  void PaintPicture(const Picture& picture, const Rect& destination) override {
    const Size client = ClientSize();
    auto image = client.width > 0 && client.height > 0
                     ? DibPicture::Create(client.width, client.height, picture.BitsPerPixel())
                     : nullptr;
    HDC memory = image ? CreateCompatibleDC(nullptr) : nullptr;
    HGDIOBJ old = nullptr;
    if (memory != nullptr) {
      old = SelectObject(memory, image->Bitmap());
      StretchPicture(memory, picture, destination);  // a new DIB is all zero: black
    }
    auto copy = [&](HDC target) {
      if (target != nullptr && memory != nullptr) {
        BitBlt(target, 0, 0, client.width, client.height, memory, 0, 0, SRCCOPY);
      }
    };
    if (printTarget_ != nullptr) {
      copy(printTarget_);
    } else {
      PAINTSTRUCT paint;
      copy(BeginPaint(window_, &paint));
      EndPaint(window_, &paint);
    }
    if (memory != nullptr) {
      SelectObject(memory, old);
      DeleteDC(memory);
    }
  }

 private:
  HWND window_;
  HDC printTarget_;
};

LRESULT HandleThumbnailMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               DWORD_PTR data);
constexpr SUBCLASSPROC ThumbnailProc = GuardedSubclassProc<HandleThumbnailMessage>;

LRESULT HandleThumbnailMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               DWORD_PTR data) {
  auto& thumbnail = *reinterpret_cast<ThumbnailAdapter*>(data);
  switch (message) {
    case WM_PAINT: {
      ThumbnailPainterGdi painter(window, nullptr);
      thumbnail.control.OnPaint(painter);
      return 0;
    }
    case WM_PRINTCLIENT: {
      ThumbnailPainterGdi painter(window, reinterpret_cast<HDC>(wParam));
      thumbnail.control.OnPaint(painter);
      return 0;
    }
    case WM_NCDESTROY: {
      // Waits for a SetPicture in progress: no repaint is asked of a window that is gone.
      thumbnail.control.Attach(nullptr);
      CommonControls().removeWindowSubclass(window, ThumbnailProc, kThumbnailSubclass);
      RemovePropW(window, PropertyOf(kThumbnailSubclass));
      delete &thumbnail;
      return CommonControls().defSubclassProc(window, message, wParam, lParam);
    }
    default:
      return CommonControls().defSubclassProc(window, message, wParam, lParam);
  }
}

// Ends an earlier binding of the same kind on `window`. The binding is found
// through a window property that holds its adapter.
template <class Adapter>
void Unbind(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  auto* adapter = static_cast<Adapter*>(GetPropW(window, PropertyOf(id)));
  if (adapter == nullptr) return;
  adapter->control.Attach(nullptr);
  CommonControls().removeWindowSubclass(window, proc, id);
  RemovePropW(window, PropertyOf(id));
  delete adapter;
}

}  // namespace

COLORREF ResolveColour(ColourRef colour) {
  if ((colour & kSystemColour) != 0) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

bool AttachInfoProgress(HWND dialog, int id, CInfoProgressCtrl& control) {
  HWND window = GetDlgItem(dialog, id);
  if (window == nullptr) return false;
  Unbind<ProgressAdapter>(window, ProgressProc, kProgressSubclass);
  // The bar shows only the overlay's text; the template's goes.
  SetWindowTextW(window, L"");
  auto adapter = std::make_unique<ProgressAdapter>(window, control, CopyFontOf(window));
  if (!CommonControls().setWindowSubclass(window, ProgressProc, kProgressSubclass,
                                          reinterpret_cast<DWORD_PTR>(adapter.get()))) {
    return false;
  }
  SetPropW(window, PropertyOf(kProgressSubclass), adapter.get());
  control.Attach(adapter.release());
  return true;
}

bool AttachStaticBitmap(HWND dialog, int id, CStaticBitmap& control) {
  HWND window = GetDlgItem(dialog, id);
  if (window == nullptr) return false;
  Unbind<ThumbnailAdapter>(window, ThumbnailProc, kThumbnailSubclass);
  auto adapter = std::make_unique<ThumbnailAdapter>(window, control);
  if (!CommonControls().setWindowSubclass(window, ThumbnailProc, kThumbnailSubclass,
                                          reinterpret_cast<DWORD_PTR>(adapter.get()))) {
    return false;
  }
  SetPropW(window, PropertyOf(kThumbnailSubclass), adapter.get());
  control.Attach(adapter.get());
  adapter.release();
  // A picture may have arrived before the window was there.
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

}  // namespace lorik::win32
