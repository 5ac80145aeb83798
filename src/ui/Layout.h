#pragma once
#include <span>

#include "core/Geometry.h"

namespace lorik::ui {

// Dynamic layout of one control: the share, in percent, of the window's change
// of client size that moves the control and that resizes it.
struct LayoutItem {
  int id;
  int moveX;
  int moveY;
  int sizeX;
  int sizeY;
};

using DynamicLayout = std::span<const LayoutItem>;

// Where a control that started at `original` goes when the client area has
// grown by `delta` (negative when it shrank).
Rect ApplyLayout(const Rect& original, Size delta, const LayoutItem& item);

}  // namespace lorik::ui
