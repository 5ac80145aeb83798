#pragma once
#include <windows.h>
// GDI+ needs the OLE property and stream types that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <propidl.h>
// After the types it relies on.
#include <gdiplus.h>

namespace lorik::win32 {

namespace gdipflat = Gdiplus::DllExports;

// The flat functions of GDI+ that the encoder and the decoder call. GDI+ is
// no known DLL: it is loaded from System32 at run time, never linked.
struct GdiPlusFunctions {
  decltype(&gdipflat::GdipGetImageEncodersSize) encodersSize;
  decltype(&gdipflat::GdipGetImageEncoders) encoders;
  decltype(&gdipflat::GdipCreateBitmapFromScan0) fromScan0;
  decltype(&gdipflat::GdipCreateBitmapFromStream) fromStream;
  decltype(&gdipflat::GdipSetImagePalette) setPalette;
  decltype(&gdipflat::GdipSaveImageToStream) save;
  decltype(&gdipflat::GdipGetImageWidth) width;
  decltype(&gdipflat::GdipGetImageHeight) height;
  decltype(&gdipflat::GdipGetImageGraphicsContext) graphics;
  decltype(&gdipflat::GdipSetInterpolationMode) interpolation;
  decltype(&gdipflat::GdipGraphicsClear) clear;
  decltype(&gdipflat::GdipDrawImageRectI) draw;
  decltype(&gdipflat::GdipDeleteGraphics) deleteGraphics;
  decltype(&gdipflat::GdipDisposeImage) dispose;
};

struct GdiPlusLibrary {
  GdiPlusFunctions call;
  // GdiplusStartup succeeded.
  bool started = false;
};

// Loaded and started once, on first use, and never shut down: workers may
// still be encoding or decoding while the process ends. A missing function
// throws MissingSystemFunction.
const GdiPlusLibrary& GdiPlus();

}  // namespace lorik::win32
