#pragma once
#include <cstdint>

// The platform's numbers that the core hands through unchanged, so adapters
// need no translation tables. Each is checked against the platform's own
// headers when the adapters build (win32/PlatformValuesCheck.cpp).
namespace lorik {

// Window messages.
namespace wm {
inline constexpr uint32_t kDestroy = 0x0002;
inline constexpr uint32_t kSize = 0x0005;
inline constexpr uint32_t kSetText = 0x000C;
inline constexpr uint32_t kPaint = 0x000F;
inline constexpr uint32_t kClose = 0x0010;
inline constexpr uint32_t kQueryEndSession = 0x0011;
inline constexpr uint32_t kEndSession = 0x0016;
inline constexpr uint32_t kSetCursor = 0x0020;
inline constexpr uint32_t kMouseActivate = 0x0021;
inline constexpr uint32_t kGetMinMaxInfo = 0x0024;
inline constexpr uint32_t kQueryDragIcon = 0x0037;
inline constexpr uint32_t kNotify = 0x004E;
inline constexpr uint32_t kContextMenu = 0x007B;
inline constexpr uint32_t kInitDialog = 0x0110;
inline constexpr uint32_t kCommand = 0x0111;
inline constexpr uint32_t kSysCommand = 0x0112;
inline constexpr uint32_t kTimer = 0x0113;
inline constexpr uint32_t kKeyDown = 0x0100;
inline constexpr uint32_t kChar = 0x0102;
inline constexpr uint32_t kMouseMove = 0x0200;
inline constexpr uint32_t kLButtonDown = 0x0201;
inline constexpr uint32_t kLButtonUp = 0x0202;
inline constexpr uint32_t kRButtonDown = 0x0204;
inline constexpr uint32_t kRButtonUp = 0x0205;
inline constexpr uint32_t kHotKey = 0x0312;
inline constexpr uint32_t kDpiChanged = 0x02E0;
inline constexpr uint32_t kUser = 0x0400;
inline constexpr uint32_t kApp = 0x8000;
}  // namespace wm

// Notification codes of WM_NOTIFY.
namespace nm {
inline constexpr int kReleasedCapture = -16;   // NM_RELEASEDCAPTURE
inline constexpr int kListItemChanged = -101;  // LVN_ITEMCHANGED
inline constexpr int kDoubleClick = -3;        // NM_DBLCLK
inline constexpr int kTabSelChange = -551;     // TCN_SELCHANGE
}  // namespace nm

// Notification codes of WM_COMMAND from a static control with SS_NOTIFY.
namespace stn {
inline constexpr int kDoubleClick = 1;  // STN_DBLCLK
}  // namespace stn

// SetWindowPos flags.
namespace swp {
inline constexpr unsigned kNoSize = 0x0001;
inline constexpr unsigned kNoMove = 0x0002;
inline constexpr unsigned kNoZOrder = 0x0004;
inline constexpr unsigned kNoRedraw = 0x0008;
inline constexpr unsigned kNoActivate = 0x0010;
}  // namespace swp

// Message box styles and answers; the answers double as the dialog button ids.
namespace mb {
inline constexpr unsigned kOk = 0x0;
inline constexpr unsigned kOkCancel = 0x1;
inline constexpr unsigned kYesNo = 0x4;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kTopmost = 0x00040000;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

// Progress bar states.
namespace pbst {
inline constexpr int kNormal = 1;
inline constexpr int kError = 2;
inline constexpr int kPaused = 3;
}  // namespace pbst

// Hotkey modifier flags.
namespace mod {
inline constexpr unsigned kNoRepeat = 0x4000;
}  // namespace mod

// Virtual-key codes.
namespace vk {
inline constexpr uint16_t kReturn = 0x0D;
inline constexpr uint16_t kEscape = 0x1B;
inline constexpr uint16_t kSpace = 0x20;
inline constexpr uint16_t kLeft = 0x25;
inline constexpr uint16_t kRight = 0x27;
inline constexpr uint16_t kDelete = 0x2E;
inline constexpr uint16_t kF12 = 0x7B;
}  // namespace vk

// System colour indices.
namespace syscolour {
inline constexpr int kWindowText = 8;
inline constexpr int kHighlightText = 14;
}  // namespace syscolour

}  // namespace lorik
