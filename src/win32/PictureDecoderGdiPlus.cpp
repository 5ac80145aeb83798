#include "win32/PictureDecoderGdiPlus.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "platform/PixelPicture.h"
#include "win32/ComRef.h"
#include "win32/GdiPlus.h"

namespace lorik {
namespace {

// GDI+'s functions, started once for the process.
const win32::GdiPlusLibrary& Gdip() {
  return win32::GdiPlus();
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
    if (p != nullptr) Gdip().call.dispose(p);
  }
};
struct Graphics {
  Gdiplus::GpGraphics* p = nullptr;
  ~Graphics() {
    if (p != nullptr) Gdip().call.deleteGraphics(p);
  }
};

// The background around a picture that does not fill the box.
constexpr Gdiplus::ARGB kBackground = 0xFF404040;

// Draws `source` scaled to fit `picture`, aspect kept and centred, on the background.
bool Draw(Gdiplus::GpBitmap* source, UINT width, UINT height, PixelPicture& picture) {
  const win32::GdiPlusLibrary& gdip = Gdip();
  const int boxWidth = picture.Width();
  const int boxHeight = picture.Height();
  // The rows top row first, with a negative stride, over the picture's own pixels.
  Image target;
  if (gdip.call.fromScan0(boxWidth, boxHeight, -picture.Pitch(), PixelFormat24bppRGB,
                          picture.MutableBits() + static_cast<size_t>(boxHeight - 1) *
                                                      static_cast<size_t>(picture.Pitch()),
                          &target.p) != Gdiplus::Ok)
    return false;
  Graphics graphics;
  if (gdip.call.graphics(target.p, &graphics.p) != Gdiplus::Ok) return false;
  gdip.call.interpolation(graphics.p, Gdiplus::InterpolationModeBilinear);
  gdip.call.clear(graphics.p, kBackground);
  const double scale =
      std::min(static_cast<double>(boxWidth) / width, static_cast<double>(boxHeight) / height);
  const int w = std::max(1, static_cast<int>(width * scale + 0.5));
  const int h = std::max(1, static_cast<int>(height * scale + 0.5));
  return gdip.call.draw(graphics.p, source, (boxWidth - w) / 2, (boxHeight - h) / 2, w, h) ==
         Gdiplus::Ok;
}

}  // namespace

PictureDecoderGdiPlus::PictureDecoderGdiPlus() {
  Gdip();
}

std::shared_ptr<const Picture> PictureDecoderGdiPlus::DecodeToFit(const std::wstring& path,
                                                                  Size box) {
  const win32::GdiPlusLibrary& gdip = Gdip();
  if (!gdip.started || box.width <= 0 || box.height <= 0) return nullptr;
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  if (bytes.empty()) return nullptr;
  win32::ComRef<IStream> stream;
  stream.p = ::SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  if (stream.p == nullptr) return nullptr;
  Image source;
  if (gdip.call.fromStream(stream.p, &source.p) != Gdiplus::Ok) return nullptr;
  UINT width = 0;
  UINT height = 0;
  if (gdip.call.width(source.p, &width) != Gdiplus::Ok ||
      gdip.call.height(source.p, &height) != Gdiplus::Ok || width == 0 || height == 0)
    return nullptr;

  std::shared_ptr<PixelPicture> picture = PixelPicture::Create(box.width, box.height, 24);
  if (!picture) return nullptr;
  // The bitmap over the picture's pixels goes before the picture is handed
  // out, so that everything drawn has reached them.
  if (!Draw(source.p, width, height, *picture)) return nullptr;
  return picture;
}

}  // namespace lorik
