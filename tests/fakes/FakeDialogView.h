#pragma once
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeHotkeys.h"
#include "fakes/FakeTimers.h"
#include "ui/DialogView.h"
#include "ui/Message.h"

namespace lorik::ui {

struct FakeControl {
  std::wstring text;
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  Rect rect;               // in the dialog's client coordinates
  bool autoCheck = false;  // a check box: a click toggles `checked` before the command
  int bitmap = 0;          // bitmap resource shown by a picture control

  // Settings dialog host and capture page
  std::vector<std::wstring> tabs;  // items of a tab control
  int tabSelection = -1;
  ControlHandler* handler = nullptr;  // set by SubclassItem
  int icon = 0;                       // icon resource shown by a push button
  int iconSize = 0;                   // its size in pixels
  Rect tabDisplay;                    // a tab control's display area

  // Save, hotkey and other pages.
  bool edit = false;          // an edit field: SetItemText sends EN_CHANGE
  bool textSelected = false;  // the whole text selected by SetEditTextSelected
  std::wstring cue;           // the hint shown while the edit field is empty
  // Combo boxes: the entries, kept in order when `sorted`, and the selected index.
  bool sorted = false;
  std::vector<std::wstring> items;
  int selection = -1;
  uint16_t hotkey = 0;  // hotkey input control: key code | flags << 8
  // List views: headers, widths (0 until sized) and rows of cell texts.
  std::vector<std::wstring> columns;
  std::vector<int> columnWidths;
  std::vector<std::vector<std::wstring>> rows;
  bool failColumns = false;   // InsertListColumn fails
  bool failItems = false;     // InsertListItem fails
  bool failSubItems = false;  // SetListItemText fails
};

struct FakeMenuItem {
  bool separator = false;
  unsigned command = 0;
  std::wstring text;
};

struct FakeWindowPosCall {
  std::optional<ZOrder> order;
  Rect rect;
  unsigned flags = 0;
};

// One dialog window in memory. Tests fill it (usually in a template's setup
// callback of FakeDialogHost) and inspect it; the dialog under test sees the
// DialogView interface only. Operations on a control id the window does not
// have do nothing, as on the platform, and are listed in `unknownIds`.
class FakeDialogView final : public DialogView {
 public:
  explicit FakeDialogView(WindowHandle handle = WindowHandle{0x10000}) : handle_(handle) {}

  WindowHandle Handle() const override { return handle_; }
  void EndDialog(int result) override;

  Rect GetWindowRect() const override { return windowRect; }
  Rect GetClientRect() const override { return clientRect; }
  void SetWindowPos(std::optional<ZOrder> order, const Rect& rect, unsigned flags) override;
  void SetCaption(const std::wstring& text) override { caption = text; }
  void SetIcon(int iconResourceId) override { icon = iconResourceId; }
  void Show(bool show) override {
    visible = show;
    showRequests.push_back(show);
  }
  bool AppendSystemMenuItem(unsigned command, const std::wstring& text) override;
  std::wstring LoadString(int stringId) const override;

  bool HasItem(int id) const override { return controls.contains(id); }
  std::wstring GetItemText(int id) const override;
  void SetItemText(int id, const std::wstring& text) override;
  bool GetCheck(int id) const override;
  void SetCheck(int id, bool checked) override;
  void EnableItem(int id, bool enabled) override;
  void ShowItem(int id, bool visible) override;
  Rect GetItemRect(int id) const override;
  void SetItemRect(int id, const Rect& rect) override;
  void SetItemBitmap(int id, int bitmapResourceId) override;

  Point ClientToScreen(Point client) const override {
    return {client.x + clientOrigin.x, client.y + clientOrigin.y};
  }
  Point ScreenToClient(Point screen) const override {
    return {screen.x - clientOrigin.x, screen.y - clientOrigin.y};
  }
  bool IsMinimized() const override { return minimized; }
  void PaintIconCentered(int iconResourceId) override { paintedIcon = iconResourceId; }
  intptr_t IconHandle(int iconResourceId) const override { return 0x1C0000 + iconResourceId; }
  Size LayoutMinimum() const override { return layoutMinimum; }
  void SetLayoutMinimum(Size minimumClient) override { layoutMinimum = minimumClient; }

  FakeTimers& Timers() override { return timers; }
  FakeHotkeys& Hotkeys() override { return hotkeys; }

  // The control, which must exist (ADD_FAILURE and a dummy otherwise).
  FakeControl& Control(int id);
  // Adds or replaces a control.
  FakeControl& AddControl(int id, FakeControl control = {});

  std::map<int, FakeControl> controls;
  Rect windowRect;  // screen coordinates
  Rect clientRect;  // follows the window's size in SetWindowPos
  std::wstring caption;
  int icon = 0;
  bool visible = false;
  bool topmost = false;
  bool hasSystemMenu = true;
  std::vector<FakeMenuItem> systemMenu;
  std::map<int, std::wstring> strings;  // the string table
  std::vector<FakeWindowPosCall> windowPosCalls;
  Size layoutMinimum;  // the host sets the template's client size
  int dpi = kBaseDpi;  // changed by FakeDialogHost::ChangeDpi
  Point clientOrigin;  // screen position of the client area's top-left corner
  bool minimized = false;
  int paintedIcon = 0;           // icon drawn by PaintIconCentered
  std::optional<int> endResult;  // the first EndDialog's result
  int endCalls = 0;
  mutable std::set<int> unknownIds;
  FakeTimers timers;
  FakeHotkeys hotkeys;

  // Called by every EndDialog after it is recorded; the host decides what ends.
  std::function<void(int result)> onEndDialog;

  // Settings dialog host and capture page
  // A control's handle is the window's handle plus its id.
  WindowHandle ItemHandle(int id) const override;
  bool SubclassItem(int id, ControlHandler& handler) override;
  int InsertTabItem(int id, int index, const std::wstring& text) override;
  int GetTabSelection(int id) const override;
  void SetTabSelection(int id, int index) override;
  intptr_t SendNotify(int fromId, int code) override;
  void CaptureMouse(int id) override { mouseCapture = id; }
  void ReleaseMouse() override { mouseCapture.reset(); }
  intptr_t SetCursorResource(int cursorResourceId) override;
  void RestoreCursor(intptr_t previous) override { cursor = previous; }
  void SetButtonIcon(int id, int iconResourceId) override;
  Rect TabDisplayRect(int id) const override;
  int Dpi() const override { return dpi; }
  void Focus() override { ++focusCalls; }
  // A message to a subclassed control's handler, as the platform would route
  // it; nullopt when the control has no handler or the handler passed it on.
  std::optional<intptr_t> SendToItem(int id, const Message& message);
  // The cursor handle of a cursor resource.
  static intptr_t CursorHandle(int cursorResourceId) { return 0xC00000 + cursorResourceId; }

  std::optional<int> mouseCapture;  // control holding the mouse capture
  intptr_t cursor = 0xC07F00;       // the current cursor, the arrow at first
  int focusCalls = 0;
  std::vector<bool> showRequests;  // every Show, in order
  struct SentNotify {
    int fromId = 0;
    int code = 0;
  };
  std::vector<SentNotify> notifications;  // every SendNotify, in order
  // Delivers a message to the window's dialog, set by the host.
  std::function<std::optional<intptr_t>(const Message&)> deliver;

  // Save, hotkey and other pages.
  int AddComboString(int id, const std::wstring& text) override;
  int GetComboCount(int id) const override;
  int GetComboSelection(int id) const override;
  void SetComboSelection(int id, int index) override;
  std::wstring GetComboItemText(int id, int index) const override;
  void SetEditTextSelected(int id, const std::wstring& text) override;
  void SetEditCue(int id, const std::wstring& cue) override;
  uint16_t GetHotkey(int id) const override;
  void SetHotkey(int id, uint16_t keyAndFlags) override;
  bool InsertListColumn(int id, int column, const std::wstring& header) override;
  int InsertListItem(int id, int index, const std::wstring& text) override;
  bool SetListItemText(int id, int item, int subItem, const std::wstring& text) override;
  int GetListItemCount(int id) const override;
  void AutoSizeListColumn(int id, int column) override;
  void Raise() override { ++raised; }

  // Width that automatic column sizing gives a cell text at 96 DPI: a fixed
  // width per character; it grows with the DPI.
  static int CellWidth(const std::wstring& text) { return 8 * static_cast<int>(text.size()) + 12; }

  // Sends a control's WM_NOTIFY notification to the dialog through `deliver`.
  std::optional<intptr_t> NotifyFrom(int id, int code);
  // Sends a control's WM_COMMAND notification to the dialog through `deliver`.
  void NotifyCommand(int id, int code) {
    if (deliver) deliver(CommandMessage(id, code, static_cast<intptr_t>(ItemHandle(id).value)));
  }
  int raised = 0;  // calls of Raise

 private:
  const FakeControl* Find(int id) const;
  FakeControl* Find(int id);

  WindowHandle handle_;
};

}  // namespace lorik::ui
