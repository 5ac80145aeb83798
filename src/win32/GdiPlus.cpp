#include "win32/GdiPlus.h"

#include "win32/SystemDll.h"

namespace lorik::win32 {

const GdiPlusLibrary& GdiPlus() {
  static const GdiPlusLibrary library = [] {
    const SystemDll dll(L"gdiplus.dll");
    GdiPlusLibrary result{
        {dll.Require<decltype(&gdipflat::GdipGetImageEncodersSize)>("GdipGetImageEncodersSize"),
         dll.Require<decltype(&gdipflat::GdipGetImageEncoders)>("GdipGetImageEncoders"),
         dll.Require<decltype(&gdipflat::GdipCreateBitmapFromScan0)>("GdipCreateBitmapFromScan0"),
         dll.Require<decltype(&gdipflat::GdipCreateBitmapFromStream)>("GdipCreateBitmapFromStream"),
         dll.Require<decltype(&gdipflat::GdipSetImagePalette)>("GdipSetImagePalette"),
         dll.Require<decltype(&gdipflat::GdipSaveImageToStream)>("GdipSaveImageToStream"),
         dll.Require<decltype(&gdipflat::GdipGetImageWidth)>("GdipGetImageWidth"),
         dll.Require<decltype(&gdipflat::GdipGetImageHeight)>("GdipGetImageHeight"),
         dll.Require<decltype(&gdipflat::GdipGetImageGraphicsContext)>(
             "GdipGetImageGraphicsContext"),
         dll.Require<decltype(&gdipflat::GdipSetInterpolationMode)>("GdipSetInterpolationMode"),
         dll.Require<decltype(&gdipflat::GdipGraphicsClear)>("GdipGraphicsClear"),
         dll.Require<decltype(&gdipflat::GdipDrawImageRectI)>("GdipDrawImageRectI"),
         dll.Require<decltype(&gdipflat::GdipDeleteGraphics)>("GdipDeleteGraphics"),
         dll.Require<decltype(&gdipflat::GdipDisposeImage)>("GdipDisposeImage")},
        false};
    const auto startup = dll.Require<decltype(&Gdiplus::GdiplusStartup)>("GdiplusStartup");
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    result.started = startup(&token, &input, nullptr) == Gdiplus::Ok;
    return result;
  }();
  return library;
}

}  // namespace lorik::win32
