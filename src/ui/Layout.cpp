#include "ui/Layout.h"

namespace lorik::ui {

Rect ApplyLayout(const Rect& original, Size delta, const LayoutItem& item) {
  const int32_t dx = delta.width * item.moveX / 100;
  const int32_t dy = delta.height * item.moveY / 100;
  const int32_t width = original.Width() + delta.width * item.sizeX / 100;
  const int32_t height = original.Height() + delta.height * item.sizeY / 100;
  const int32_t left = original.left + dx;
  const int32_t top = original.top + dy;
  return {left, top, left + (width > 0 ? width : 0), top + (height > 0 ? height : 0)};
}

}  // namespace lorik::ui
