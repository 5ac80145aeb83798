#pragma once
#include "core/Geometry.h"

namespace lorik {

// The main window's geometry as the thumbnail area is shown or hidden.
struct ThumbnailGeometry {
  Rect window;             // the main window's rectangle now
  Rect client;             // its client rectangle now
  Rect thumbnail;          // the thumbnail control's client rectangle now
  Rect thumbnailTemplate;  // the thumbnail control's client rectangle as created
  Rect minimumWindow;      // the window rectangle whose size is the minimum tracking size
  Size layoutMinimum;      // the dynamic layout's minimum client size
  Size preview;            // "Preview width" and "Preview height"
};

// The window's new rectangle and what the main window keeps.
struct ThumbnailArea {
  Rect window;
  Rect minimumWindow;
  Size layoutMinimum;
  Size preview;
  friend bool operator==(const ThumbnailArea&, const ThumbnailArea&) = default;
};

// Hiding takes the thumbnail's height off the top part of the window and keeps
// the thumbnail's size as the preview size; showing gives that size back.
ThumbnailArea LayOutThumbnailArea(bool show, const ThumbnailGeometry& now);

}  // namespace lorik
