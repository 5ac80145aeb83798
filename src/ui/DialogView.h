#pragma once
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

  // The client size below which the dynamic layout stops moving and stretching
  // controls; the template's client size until it is changed.
  virtual Size LayoutMinimum() const = 0;
  virtual void SetLayoutMinimum(Size minimumClient) = 0;

  // Window-bound services.
  virtual TimerPort& Timers() = 0;
  virtual HotkeyPort& Hotkeys() = 0;
};

}  // namespace lorik::ui
