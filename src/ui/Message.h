#pragma once
#include <cstdint>

#include "core/Dpi.h"
#include "core/Geometry.h"
#include "platform/PlatformValues.h"

// Window messages keep the platform's numbers, so the host passes them through
// unchanged and the dialog layer unpacks their parameters in one place.
namespace lorik::ui {

namespace wm = lorik::wm;

// Standard command ids of dialog buttons.
using mb::kIdCancel;
using mb::kIdOk;
// The largest command id: WM_COMMAND carries it in the low word of wParam.
inline constexpr int kMaxCommandId = 0xFFFF;

struct Message {
  uint32_t msg = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// The header every WM_NOTIFY points to; same layout as the platform's NMHDR.
struct NotifyHeader {
  uintptr_t from = 0;
  uintptr_t idFrom = 0;
  uint32_t code = 0;
};

namespace nm = lorik::nm;

// Same layout as the platform's MINMAXINFO.
struct MinMaxInfo {
  Point reserved;
  Point maxSize;
  Point maxPosition;
  Point minTrackSize;
  Point maxTrackSize;
};

// WM_DPICHANGED: the window's new DPI and the window rectangle the platform
// suggests for it, in screen coordinates.
struct DpiChange {
  int dpi = 0;
  Rect suggested;
};

using lorik::kBaseDpi;
using lorik::ScaleForDpi;

inline constexpr uint16_t LowWord(uintptr_t v) {
  return static_cast<uint16_t>(v & 0xFFFF);
}
inline constexpr uint16_t HighWord(uintptr_t v) {
  return static_cast<uint16_t>((v >> 16) & 0xFFFF);
}

inline Message CommandMessage(int id, int code = 0, intptr_t control = 0) {
  return {wm::kCommand,
          (static_cast<uintptr_t>(static_cast<uint16_t>(code)) << 16) | static_cast<uint16_t>(id),
          control};
}

}  // namespace lorik::ui
