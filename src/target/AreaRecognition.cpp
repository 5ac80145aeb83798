#include "target/AreaRecognition.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "platform/MessageBox.h"
#include "platform/Picture.h"
#include "platform/ScreenGrab.h"
#include "platform/WindowSystem.h"
#include "settings/Settings.h"

namespace lorik {
namespace {

constexpr wchar_t kCaptureFailed[] = L"キャプチャ失敗";
constexpr wchar_t kTargetGone[] = L"キャプチャ対象が離脱!";
constexpr wchar_t kTargetHidden[] = L"キャプチャ対象の幅や高さが0?";
constexpr wchar_t kRecognitionFailed[] = L"自動認識に失敗しました";
constexpr wchar_t kRecognitionDoubtful[] = L"自動認識失敗?";
constexpr wchar_t kRecognitionSucceeded[] = L"自動認識成功";
// The messages carry the application's default caption.
constexpr wchar_t kDefaultCaption[] = L"";

// The picture is read in place, one row and one column of it.
class PixelReader {
 public:
  PixelReader(const Picture& picture, int64_t bytesPerPixel)
      : picture_(picture), bytesPerPixel_(bytesPerPixel) {}

  bool IsWhite(int64_t x, int64_t y) const {
    const uint8_t* p = At(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  }
  bool IsBright(int64_t x, int64_t y) const {
    const uint8_t* p = At(x, y);
    return p[0] == 255 || p[1] == 255 || p[2] == 255;
  }

 private:
  const uint8_t* At(int64_t x, int64_t y) const {
    return picture_.TopDownRow(static_cast<int>(y)) + x * bytesPerPixel_;
  }

  const Picture& picture_;
  int64_t bytesPerPixel_;
};

bool HasContentSize(const Rect& r) {
  return r.Width() == kRecognizedContentWidth && r.Height() == kRecognizedContentHeight;
}

// The search rectangle with its right edge moved left, without wrapping round.
Rect MoveRightEdgeLeft(Rect r, int32_t by) {
  r.right = static_cast<int32_t>(
      std::max<int64_t>(int64_t{r.right} - by, std::numeric_limits<int32_t>::min()));
  return r;
}

}  // namespace

bool ScanContentRect(const Picture& picture, Rect& rect) {
  const int bitsPerPixel = picture.BitsPerPixel();
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return false;
  const int64_t bytesPerPixel = bitsPerPixel / 8;
  const int64_t width = picture.Width();
  const int64_t height = picture.Height();
  if (width <= 0 || height <= 0 || picture.Bits() == nullptr) return false;
  if (picture.Pitch() < width * bytesPerPixel) return false;

  // Only the part of the search that lies inside the picture is scanned.
  const int64_t areaLeft = std::max<int64_t>(rect.left, 0);
  const int64_t areaTop = std::max<int64_t>(rect.top, 0);
  const int64_t areaRight = std::min<int64_t>(rect.right, width);
  const int64_t areaBottom = std::min<int64_t>(rect.bottom, height);
  if (areaRight <= areaLeft || areaBottom <= areaTop) return false;

  const int64_t lastColumn = areaRight - 1;
  const int64_t lastRow = areaBottom - 1;
  const int64_t middle = areaTop + (lastRow - areaTop) / 2;
  const PixelReader pixels(picture, bytesPerPixel);

  // A search too narrow to reach past the start column has nothing to find;
  // starting the scan there anyway would leave the rectangle.
  int64_t x = areaLeft + kScanStartColumn;
  if (x >= lastColumn) return false;
  while (x < lastColumn && pixels.IsWhite(x, middle)) ++x;
  if (x == lastColumn) return false;
  const int64_t left = x;

  x = lastColumn;
  while (x > left && pixels.IsWhite(x, middle)) --x;
  if (x == left) return false;
  const int64_t right = x + 1;

  // Upwards and downwards along the block's own left column, to the nearest
  // bright pixel: the white page, or a bright frame drawn round the block.
  int64_t y = middle;
  while (y > areaTop && !pixels.IsBright(left, y)) --y;
  const int64_t top = y > areaTop ? y + 1 : areaTop;

  y = middle;
  while (y < lastRow && !pixels.IsBright(left, y)) ++y;
  const int64_t bottom = y;
  // A bright pixel where the block's left column meets the middle row stops
  // both searches at once; there is no height to tell, so no block.
  if (bottom < top) return false;

  rect = Rect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
              static_cast<int32_t>(bottom)};
  return true;
}

bool RecognizeCaptureArea(CaptureSettings& capture, WindowSystemPort& windows, ScreenGrabPort& grab,
                          MessageBoxPort& messages) {
  const WindowHandle target = capture.targetWindow;
  WindowHandle source;
  Rect area;
  Rect search;
  if (capture.captureFromDesktop) {
    source = windows.DesktopWindow();
    if (target) {
      // The screen is read in physical pixels: the client area's size there,
      // which differs from its own for a window the platform scales.
      area = windows.WindowRect(target);
      const Rect client = windows.ClientRect(target);
      const Point topLeft = windows.ClientToScreen(target, {0, 0});
      const Point bottomRight = windows.ClientToScreen(target, {client.right, client.bottom});
      search = {0, 0, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y};
    }
  } else {
    source = target;
    if (target) {
      area = windows.ClientRect(target);
      search = area;
    }
  }

  // Capture ticks that run while a message below is open grab with these.
  capture.targetWindow = source;
  capture.captureArea = area;
  const auto fail = [&] {
    capture.targetWindow = target;
    messages.Show(kCaptureFailed, kDefaultCaption, mb::kIconError);
    return false;
  };

  if (!source) return fail();
  if (!windows.IsWindow(source)) {
    capture.targetWindow = WindowHandle{};
    messages.Show(kTargetGone, kDefaultCaption, mb::kOk);
    return fail();
  }
  if (!windows.IsWindowVisible(source)) {
    messages.Show(kTargetHidden, kDefaultCaption, mb::kOk);
    return fail();
  }
  // A negative size cannot be grabbed either.
  if (area.Width() <= 0 || area.Height() <= 0) return fail();

  const std::shared_ptr<const Picture> picture = grab.Grab(source, area, 24);
  if (!picture) return fail();
  capture.targetWindow = target;

  Rect first = search;
  if (!ScanContentRect(*picture, first)) {
    messages.Show(kRecognitionFailed, kDefaultCaption, mb::kIconError);
    return false;
  }
  const auto accept = [&](const Rect& found) {
    messages.Show(kRecognitionSucceeded, kDefaultCaption, mb::kIconInformation);
    capture.captureArea = found;
    return true;
  };
  if (HasContentSize(first)) return accept(first);

  for (const int32_t reduction : {kFirstRightEdgeReduction, kSecondRightEdgeReduction}) {
    Rect narrower = MoveRightEdgeLeft(search, reduction);
    if (!ScanContentRect(*picture, narrower)) {
      messages.Show(kRecognitionFailed, kDefaultCaption, mb::kIconError);
      return false;
    }
    if (HasContentSize(narrower)) return accept(narrower);
  }

  messages.Show(kRecognitionDoubtful, kDefaultCaption, mb::kIconError);
  capture.captureArea = first;
  return true;
}

}  // namespace lorik
