#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/Geometry.h"
#include "core/WindowHandle.h"
#include "platform/PlatformValues.h"

namespace lorik {
class TimerPort;
class HotkeyPort;
}  // namespace lorik

namespace lorik::ui {

struct Message;

// The own messages of a control whose behaviour the program extends (a
// subclassed control). Returns true when the message is handled and `result`
// is its result; false passes it on to the control's own procedure.
class ControlHandler {
 public:
  virtual ~ControlHandler() = default;
  virtual bool OnControlMessage(WindowHandle control, const Message& message, intptr_t& result) = 0;
};

namespace swp = lorik::swp;

enum class ZOrder { Top, Topmost, NoTopmost };

// One live dialog window and its controls, reached by control id. The host
// attaches a view to a `Dialog` before WM_INITDIALOG and detaches it after
// the window is gone. Rectangles of controls are in the dialog's client
// coordinates; window rectangles are in screen coordinates.
class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual WindowHandle Handle() const = 0;
  // Ends a modal run with `result`, or destroys a modeless window.
  virtual void EndDialog(int result) = 0;

  // The window itself.
  virtual Rect GetWindowRect() const = 0;
  virtual Rect GetClientRect() const = 0;
  virtual void SetWindowPos(std::optional<ZOrder> order, const Rect& rect, unsigned flags) = 0;
  virtual void SetCaption(const std::wstring& text) = 0;
  virtual void SetIcon(int iconResourceId) = 0;
  virtual void Show(bool visible) = 0;
  // Appends a separator and a command item to the system menu; false without a system menu.
  virtual bool AppendSystemMenuItem(unsigned command, const std::wstring& text) = 0;
  // Text of a string resource, empty when absent.
  virtual std::wstring LoadString(int stringId) const = 0;

  // Controls by id.
  virtual bool HasItem(int id) const = 0;
  virtual std::wstring GetItemText(int id) const = 0;
  virtual void SetItemText(int id, const std::wstring& text) = 0;
  virtual bool GetCheck(int id) const = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  virtual void EnableItem(int id, bool enabled) = 0;
  virtual void ShowItem(int id, bool visible) = 0;
  virtual Rect GetItemRect(int id) const = 0;
  virtual void SetItemRect(int id, const Rect& rect) = 0;
  virtual Point ClientToScreen(Point client) const = 0;
  virtual Point ScreenToClient(Point screen) const = 0;
  virtual bool IsMinimized() const = 0;
  // Erases the background and draws an icon resource centred in the client
  // area; for painting a minimised window.
  virtual void PaintIconCentered(int iconResourceId) = 0;
  // The platform handle of an icon resource, as WM_QUERYDRAGICON returns it.
  virtual intptr_t IconHandle(int iconResourceId) const = 0;

  // Shows a bitmap resource in a picture control.
  virtual void SetItemBitmap(int id, int bitmapResourceId) = 0;

  // The DPI the window's fonts, pictures and layout are made for: its
  // monitor's when it was created, then the one each WM_DPICHANGED names.
  virtual int Dpi() const = 0;

  // The client size below which the dynamic layout stops moving and stretching
  // controls; the template's client size until it is changed.
  virtual Size LayoutMinimum() const = 0;
  virtual void SetLayoutMinimum(Size minimumClient) = 0;

  // Window-bound services.
  virtual TimerPort& Timers() = 0;
  virtual HotkeyPort& Hotkeys() = 0;

  // Settings dialog host and capture page
  // The platform handle of control `id`; null when the window has none.
  virtual WindowHandle ItemHandle(int id) const = 0;
  // Routes control `id`'s own messages through `handler` until the control is
  // destroyed; the handler must outlive it. False when there is no such control.
  virtual bool SubclassItem(int id, ControlHandler& handler) = 0;
  // Tab control `id`: inserts a text-only item at `index` (the index it got, or
  // -1), the selected item (-1 for none) and a selection that sends no notification.
  virtual int InsertTabItem(int id, int index, const std::wstring& text) = 0;
  virtual int GetTabSelection(int id) const = 0;
  virtual void SetTabSelection(int id, int index) = 0;
  // Sends WM_NOTIFY with `code` to this window as control `fromId` would, and
  // returns the result.
  virtual intptr_t SendNotify(int fromId, int code) = 0;
  // Mouse capture for control `id`, and its release.
  virtual void CaptureMouse(int id) = 0;
  virtual void ReleaseMouse() = 0;
  // Makes a cursor resource the current cursor; returns the cursor it replaced,
  // for RestoreCursor.
  virtual intptr_t SetCursorResource(int cursorResourceId) = 0;
  virtual void RestoreCursor(intptr_t cursor) = 0;
  // Shows an icon resource as the image of push button `id`, at the small icon
  // size of the window's DPI (16 pixels at 96 DPI).
  virtual void SetButtonIcon(int id, int iconResourceId) = 0;
  // Tab control `id`: the area its pages are shown in, in this window's client
  // coordinates; empty when there is no such control.
  virtual Rect TabDisplayRect(int id) const = 0;
  // Gives the keyboard focus to this window.
  virtual void Focus() = 0;

  // Save, hotkey and other pages.
  // Combo boxes and drop-down lists; a sorted list places each new entry in order.
  // Indices are 0-based, -1 is no entry.
  // The entry's index, -1 when it could not be added.
  virtual int AddComboString(int id, const std::wstring& text) = 0;
  virtual int GetComboCount(int id) const = 0;
  virtual int GetComboSelection(int id) const = 0;
  // -1 or an index outside the list clears the selection. Sends no notification.
  virtual void SetComboSelection(int id, int index) = 0;
  // Empty for an index outside the list.
  virtual std::wstring GetComboItemText(int id, int index) const = 0;

  // Replaces an edit field's text, selects all of it and scrolls the caret into view.
  // Like SetItemText on an edit, it sends the field's EN_CHANGE.
  virtual void SetEditTextSelected(int id, const std::wstring& text) = 0;
  // The grey hint an empty edit field shows, also while it has the focus.
  virtual void SetEditCue(int id, const std::wstring& cue) = 0;

  // Hotkey input controls: key code in the low byte, HOTKEYF_* flags in the high byte.
  virtual uint16_t GetHotkey(int id) const = 0;
  virtual void SetHotkey(int id, uint16_t keyAndFlags) = 0;

  // List views in report view.
  // Column `column` with a header text and no width; false when it could not be added.
  virtual bool InsertListColumn(int id, int column, const std::wstring& header) = 0;
  // The new item's index, -1 when it could not be added.
  virtual int InsertListItem(int id, int index, const std::wstring& text) = 0;
  virtual bool SetListItemText(int id, int item, int subItem, const std::wstring& text) = 0;
  virtual int GetListItemCount(int id) const = 0;
  // Sizes a column to its widest cell text; the header does not count.
  virtual void AutoSizeListColumn(int id, int column) = 0;

  // Brings the window to the top of the z-order and activates it, without moving or
  // resizing it.
  virtual void Raise() = 0;
};

// Save, hotkey and other pages: notification codes and flags of the controls, the
// platform's values.
inline constexpr int kCbnSelChange = 1;
inline constexpr int kEnChange = 0x0300;
namespace hotkeyf {
inline constexpr uint8_t kShift = 0x01;
inline constexpr uint8_t kControl = 0x02;
inline constexpr uint8_t kAlt = 0x04;
inline constexpr uint8_t kExt = 0x08;
}  // namespace hotkeyf

}  // namespace lorik::ui
