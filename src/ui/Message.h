#pragma once
#include <cstdint>

#include "core/Geometry.h"

// Window messages as the platform numbers them, so the host passes them through
// unchanged and the dialog layer unpacks their parameters in one place.
namespace lorik::ui {

namespace wm {
inline constexpr uint32_t kDestroy = 0x0002;
inline constexpr uint32_t kSize = 0x0005;
inline constexpr uint32_t kPaint = 0x000F;
inline constexpr uint32_t kClose = 0x0010;
inline constexpr uint32_t kGetMinMaxInfo = 0x0024;
inline constexpr uint32_t kQueryDragIcon = 0x0037;
inline constexpr uint32_t kNotify = 0x004E;
inline constexpr uint32_t kContextMenu = 0x007B;
inline constexpr uint32_t kSetText = 0x000C;
inline constexpr uint32_t kInitDialog = 0x0110;
inline constexpr uint32_t kCommand = 0x0111;
inline constexpr uint32_t kSysCommand = 0x0112;
inline constexpr uint32_t kTimer = 0x0113;
inline constexpr uint32_t kMouseMove = 0x0200;
inline constexpr uint32_t kLButtonDown = 0x0201;
inline constexpr uint32_t kLButtonUp = 0x0202;
inline constexpr uint32_t kRButtonDown = 0x0204;
inline constexpr uint32_t kRButtonUp = 0x0205;
inline constexpr uint32_t kHotKey = 0x0312;
inline constexpr uint32_t kUser = 0x0400;
inline constexpr uint32_t kApp = 0x8000;
}  // namespace wm

// Standard command ids of dialog buttons.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

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

// Notification codes of WM_NOTIFY, the platform's values.
namespace nm {
inline constexpr int kReleasedCapture = -16;  // NM_RELEASEDCAPTURE
inline constexpr int kTabSelChange = -551;    // TCN_SELCHANGE
}  // namespace nm

// Same layout as the platform's MINMAXINFO.
struct MinMaxInfo {
  Point reserved;
  Point maxSize;
  Point maxPosition;
  Point minTrackSize;
  Point maxTrackSize;
};

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
