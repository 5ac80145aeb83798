#pragma once
#include <cstdint>

#include "core/Geometry.h"

namespace lorik {

class Picture;
class WindowSystemPort;
class ScreenGrabPort;
class MessageBoxPort;
struct CaptureSettings;

// The content size that is accepted without doubt: the default capture area.
inline constexpr int32_t kRecognizedContentWidth = 1200;
inline constexpr int32_t kRecognizedContentHeight = 720;
// How far the right edge of the search moves left on the second and the third
// attempt, to step over a vertical scroll bar or a side panel.
inline constexpr int32_t kFirstRightEdgeReduction = 17;
inline constexpr int32_t kSecondRightEdgeReduction = 154;
// The left-edge scan starts this many columns into the search rectangle.
inline constexpr int32_t kScanStartColumn = 10;

// Finds a block of non-white pixels on a white page inside `rect` (picture
// coordinates, top row first). On success `rect` holds the block and the
// result is true; on failure `rect` holds nothing to use.
//
// A pixel is white when blue, green and red are all 255, bright when any of
// them is. On the middle row the block runs from the first non-white pixel at
// or after the start column to one past the last non-white pixel; its top and
// bottom are the bright pixels nearest to the middle row in the block's left
// column (exclusive), falling back to the search's top row and to its last
// row when there are none.
//
// The search rectangle is first clipped to the picture, so no pixel outside
// the picture is ever read: a rectangle that does not overlap the picture, or
// whose clipped part has no column after the start column to scan, fails, and
// a found rectangle always lies inside the picture. Pictures other than 24 or
// 32 bits per pixel, or with rows shorter than their width, fail too.
bool ScanContentRect(const Picture& picture, Rect& rect);

// Grabs the target window of `capture` once and looks for its content block,
// first in the whole client area, then with the right edge moved left by 17
// and by 154 pixels. It stores the result in `capture.captureArea` and shows
// its own messages.
//
// In window mode the result is in the target's client coordinates, in its own
// pixels. In desktop mode the caller has put the real target into
// `targetWindow`; the screen under the target's whole window rectangle is
// grabbed and the result is in physical pixels relative to the window's outer
// top-left corner, so the caller adds the window's screen position.
//
// True when `captureArea` holds a recognised rectangle, also when none had the
// expected size and the first attempt's is kept; false after a failure, which
// leaves `captureArea` as the whole grabbed rectangle (the client area, or the
// window rectangle in desktop mode). `targetWindow` holds the grab source
// while the grab's messages are open, and the caller's value again when the
// call returns.
bool RecognizeCaptureArea(CaptureSettings& capture, WindowSystemPort& windows, ScreenGrabPort& grab,
                          MessageBoxPort& messages);

}  // namespace lorik
