#include "win32/DibPicture.h"

namespace lorik {

std::shared_ptr<DibPicture> DibPicture::Create(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  // Take the row pitch from the bitmap itself rather than assuming GDI's padding.
  DIBSECTION section{};
  if (bits == nullptr || GetObjectW(bitmap, sizeof(section), &section) != sizeof(section)) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return std::shared_ptr<DibPicture>(new DibPicture(
      bitmap, static_cast<uint8_t*>(bits), width, height, bitsPerPixel, section.dsBm.bmWidthBytes));
}

DibPicture::DibPicture(HBITMAP bitmap, uint8_t* bits, int width, int height, int bitsPerPixel,
                       int pitch)
    : bitmap_(bitmap),
      bits_(bits),
      width_(width),
      height_(height),
      bitsPerPixel_(bitsPerPixel),
      pitch_(pitch) {}

DibPicture::~DibPicture() {
  DeleteObject(bitmap_);
}

}  // namespace lorik
