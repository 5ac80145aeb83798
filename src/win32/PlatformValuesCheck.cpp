// The core spells the platform's numbers itself; a number that drifts from the
// platform's headers breaks the build here instead of misbehaving at run time.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>

#include "core/Geometry.h"
#include "core/Path.h"
#include "platform/PlatformValues.h"

namespace lorik {

static_assert(wm::kDestroy == WM_DESTROY);
static_assert(wm::kSize == WM_SIZE);
static_assert(wm::kSetText == WM_SETTEXT);
static_assert(wm::kPaint == WM_PAINT);
static_assert(wm::kClose == WM_CLOSE);
static_assert(wm::kQueryEndSession == WM_QUERYENDSESSION);
static_assert(wm::kEndSession == WM_ENDSESSION);
static_assert(wm::kSetCursor == WM_SETCURSOR);
static_assert(wm::kMouseActivate == WM_MOUSEACTIVATE);
static_assert(wm::kGetMinMaxInfo == WM_GETMINMAXINFO);
static_assert(wm::kQueryDragIcon == WM_QUERYDRAGICON);
static_assert(wm::kNotify == WM_NOTIFY);
static_assert(wm::kContextMenu == WM_CONTEXTMENU);
static_assert(wm::kInitDialog == WM_INITDIALOG);
static_assert(wm::kCommand == WM_COMMAND);
static_assert(wm::kSysCommand == WM_SYSCOMMAND);
static_assert(wm::kTimer == WM_TIMER);
static_assert(wm::kKeyDown == WM_KEYDOWN);
static_assert(wm::kChar == WM_CHAR);
static_assert(wm::kMouseMove == WM_MOUSEMOVE);
static_assert(wm::kLButtonDown == WM_LBUTTONDOWN);
static_assert(wm::kLButtonUp == WM_LBUTTONUP);
static_assert(wm::kRButtonDown == WM_RBUTTONDOWN);
static_assert(wm::kRButtonUp == WM_RBUTTONUP);
static_assert(wm::kHotKey == WM_HOTKEY);
static_assert(wm::kDpiChanged == WM_DPICHANGED);
static_assert(wm::kUser == WM_USER);
static_assert(wm::kApp == WM_APP);

static_assert(swp::kNoSize == SWP_NOSIZE);
static_assert(swp::kNoMove == SWP_NOMOVE);
static_assert(swp::kNoZOrder == SWP_NOZORDER);
static_assert(nm::kReleasedCapture == static_cast<int>(NM_RELEASEDCAPTURE));
static_assert(stn::kDoubleClick == STN_DBLCLK);
static_assert(nm::kListItemChanged == static_cast<int>(LVN_ITEMCHANGED));
static_assert(nm::kDoubleClick == static_cast<int>(NM_DBLCLK));
static_assert(nm::kTabSelChange == static_cast<int>(TCN_SELCHANGE));
static_assert(swp::kNoRedraw == SWP_NOREDRAW);
static_assert(swp::kNoActivate == SWP_NOACTIVATE);

static_assert(mb::kOk == MB_OK);
static_assert(mb::kOkCancel == MB_OKCANCEL);
static_assert(mb::kYesNo == MB_YESNO);
static_assert(mb::kIconError == MB_ICONERROR);
static_assert(mb::kIconQuestion == MB_ICONQUESTION);
static_assert(mb::kIconExclamation == MB_ICONEXCLAMATION);
static_assert(mb::kIconInformation == MB_ICONINFORMATION);
static_assert(mb::kTopmost == MB_TOPMOST);
static_assert(mb::kIdOk == IDOK);
static_assert(mb::kIdCancel == IDCANCEL);
static_assert(mb::kIdYes == IDYES);
static_assert(mb::kIdNo == IDNO);

static_assert(pbst::kNormal == PBST_NORMAL);
static_assert(pbst::kError == PBST_ERROR);
static_assert(pbst::kPaused == PBST_PAUSED);

static_assert(mod::kNoRepeat == MOD_NOREPEAT);
static_assert(vk::kReturn == VK_RETURN);
static_assert(vk::kEscape == VK_ESCAPE);
static_assert(vk::kSpace == VK_SPACE);
static_assert(vk::kLeft == VK_LEFT);
static_assert(vk::kRight == VK_RIGHT);
static_assert(vk::kDelete == VK_DELETE);
static_assert(vk::kF12 == VK_F12);

static_assert(syscolour::kWindowText == COLOR_WINDOWTEXT);
static_assert(syscolour::kHighlightText == COLOR_HIGHLIGHTTEXT);

// WM_DPICHANGED's suggested rectangle is read as a Rect.
static_assert(sizeof(Rect) == sizeof(RECT) && offsetof(RECT, right) == offsetof(Rect, right));

// Lives with the path rules in the core, below the ports, but is the same kind of number.
static_assert(kMaxPathChars == MAX_PATH);

}  // namespace lorik
