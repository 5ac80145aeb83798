#include "win32/PictureDecoderGdiPlus.h"

#include <windows.h>
// GDI+ needs the OLE property and stream types that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <propidl.h>
#include <shlwapi.h>
// After the types it relies on.
#include <gdiplus.h>

#include <algorithm>
#include <vector>

#include "platform/PixelPicture.h"
#include "win32/SystemDll.h"

namespace lorik {
namespace {

namespace flat = Gdiplus::DllExports;

// The flat functions the decoder calls.
struct DecoderFunctions {
  decltype(&Gdiplus::GdiplusStartup) startup;
  decltype(&flat::GdipCreateBitmapFromStream) fromStream;
  decltype(&flat::GdipCreateBitmapFromScan0) fromScan0;
  decltype(&flat::GdipGetImageWidth) width;
  decltype(&flat::GdipGetImageHeight) height;
  decltype(&flat::GdipGetImageGraphicsContext) graphics;
  decltype(&flat::GdipSetInterpolationMode) interpolation;
  decltype(&flat::GdipGraphicsClear) clear;
  decltype(&flat::GdipDrawImageRectI) draw;
  decltype(&flat::GdipDeleteGraphics) deleteGraphics;
  decltype(&flat::GdipDisposeImage) dispose;
  bool started = false;
};

const DecoderFunctions& Gdip() {
  static const DecoderFunctions functions = [] {
    const win32::SystemDll dll(L"gdiplus.dll");
    DecoderFunctions f{
        dll.Require<decltype(&Gdiplus::GdiplusStartup)>("GdiplusStartup"),
        dll.Require<decltype(&flat::GdipCreateBitmapFromStream)>("GdipCreateBitmapFromStream"),
        dll.Require<decltype(&flat::GdipCreateBitmapFromScan0)>("GdipCreateBitmapFromScan0"),
        dll.Require<decltype(&flat::GdipGetImageWidth)>("GdipGetImageWidth"),
        dll.Require<decltype(&flat::GdipGetImageHeight)>("GdipGetImageHeight"),
        dll.Require<decltype(&flat::GdipGetImageGraphicsContext)>("GdipGetImageGraphicsContext"),
        dll.Require<decltype(&flat::GdipSetInterpolationMode)>("GdipSetInterpolationMode"),
        dll.Require<decltype(&flat::GdipGraphicsClear)>("GdipGraphicsClear"),
        dll.Require<decltype(&flat::GdipDrawImageRectI)>("GdipDrawImageRectI"),
        dll.Require<decltype(&flat::GdipDeleteGraphics)>("GdipDeleteGraphics"),
        dll.Require<decltype(&flat::GdipDisposeImage)>("GdipDisposeImage"),
        false};
    // Started once and never shut down, as for the encoder: the decode thread
    // may still run while the process ends.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    f.started = f.startup(&token, &input, nullptr) == Gdiplus::Ok;
    return f;
  }();
  return functions;
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30)) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
      bytes.clear();
  }
  ::CloseHandle(file);
  return bytes;
}

// GDI+ objects disposed on every path out.
struct Image {
  Gdiplus::GpBitmap* p = nullptr;
  ~Image() {
    if (p != nullptr) Gdip().dispose(p);
  }
};
struct Graphics {
  Gdiplus::GpGraphics* p = nullptr;
  ~Graphics() {
    if (p != nullptr) Gdip().deleteGraphics(p);
  }
};
struct Stream {
  IStream* p = nullptr;
  ~Stream() {
    if (p != nullptr) p->Release();
  }
};

// The background around a picture that does not fill the box.
constexpr Gdiplus::ARGB kBackground = 0xFF404040;

// Draws `source` scaled to fit `picture`, aspect kept and centred, on the background.
bool Draw(Gdiplus::GpBitmap* source, UINT width, UINT height, PixelPicture& picture) {
  const DecoderFunctions& gdip = Gdip();
  const int boxWidth = picture.Width();
  const int boxHeight = picture.Height();
  // The rows top row first, with a negative stride, over the picture's own pixels.
  Image target;
  if (gdip.fromScan0(boxWidth, boxHeight, -picture.Pitch(), PixelFormat24bppRGB,
                     picture.MutableBits() +
                         static_cast<size_t>(boxHeight - 1) * static_cast<size_t>(picture.Pitch()),
                     &target.p) != Gdiplus::Ok)
    return false;
  Graphics graphics;
  if (gdip.graphics(target.p, &graphics.p) != Gdiplus::Ok) return false;
  gdip.interpolation(graphics.p, Gdiplus::InterpolationModeBilinear);
  gdip.clear(graphics.p, kBackground);
  const double scale =
      std::min(static_cast<double>(boxWidth) / width, static_cast<double>(boxHeight) / height);
  const int w = std::max(1, static_cast<int>(width * scale + 0.5));
  const int h = std::max(1, static_cast<int>(height * scale + 0.5));
  return gdip.draw(graphics.p, source, (boxWidth - w) / 2, (boxHeight - h) / 2, w, h) ==
         Gdiplus::Ok;
}

}  // namespace

PictureDecoderGdiPlus::PictureDecoderGdiPlus() {
  Gdip();
}

std::shared_ptr<const Picture> PictureDecoderGdiPlus::DecodeToFit(const std::wstring& path,
                                                                  Size box) {
  const DecoderFunctions& gdip = Gdip();
  if (!gdip.started || box.width <= 0 || box.height <= 0) return nullptr;
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  if (bytes.empty()) return nullptr;
  Stream stream{::SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()))};
  if (stream.p == nullptr) return nullptr;
  Image source;
  if (gdip.fromStream(stream.p, &source.p) != Gdiplus::Ok) return nullptr;
  UINT width = 0;
  UINT height = 0;
  if (gdip.width(source.p, &width) != Gdiplus::Ok ||
      gdip.height(source.p, &height) != Gdiplus::Ok || width == 0 || height == 0)
    return nullptr;

  std::shared_ptr<PixelPicture> picture = PixelPicture::Create(box.width, box.height, 24);
  if (!picture) return nullptr;
  // The bitmap over the picture's pixels goes before the picture is handed
  // out, so that everything drawn has reached them.
  if (!Draw(source.p, width, height, *picture)) return nullptr;
  return picture;
}

}  // namespace lorik
