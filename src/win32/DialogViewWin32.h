#pragma once
#include <windows.h>

#include <map>

#include "ui/DialogView.h"
#include "win32/HotkeysWin32.h"
#include "win32/TimersWin32.h"

namespace lorik::ui {

// The view of one live dialog window. `instance` is the module whose
// resources (icons, strings) the dialog loads; `modal` tells EndDialog how the
// window was created.
class DialogViewWin32 final : public DialogView {
 public:
  DialogViewWin32(HWND window, HINSTANCE instance, bool modal);
  ~DialogViewWin32() override;
  DialogViewWin32(const DialogViewWin32&) = delete;
  DialogViewWin32& operator=(const DialogViewWin32&) = delete;

  HWND Window() const { return window_; }

  WindowHandle Handle() const override;
  void EndDialog(int result) override;

  Rect GetWindowRect() const override;
  Rect GetClientRect() const override;
  void SetWindowPos(std::optional<ZOrder> order, const Rect& rect, unsigned flags) override;
  void SetCaption(const std::wstring& text) override;
  void SetIcon(int iconResourceId) override;
  void Show(bool visible) override;
  bool AppendSystemMenuItem(unsigned command, const std::wstring& text) override;
  std::wstring LoadString(int stringId) const override;

  bool HasItem(int id) const override;
  std::wstring GetItemText(int id) const override;
  void SetItemText(int id, const std::wstring& text) override;
  bool GetCheck(int id) const override;
  void SetCheck(int id, bool checked) override;
  void EnableItem(int id, bool enabled) override;
  void ShowItem(int id, bool visible) override;
  Rect GetItemRect(int id) const override;
  void SetItemRect(int id, const Rect& rect) override;
  void SetItemBitmap(int id, int bitmapResourceId) override;
  int Dpi() const override { return dpi_; }
  // The host's record of a WM_DPICHANGED, after it has scaled the window.
  void SetDpi(int dpi) { dpi_ = dpi; }

  Point ClientToScreen(Point client) const override;
  Point ScreenToClient(Point screen) const override;
  bool IsMinimized() const override { return ::IsIconic(window_) != FALSE; }
  void PaintIconCentered(int iconResourceId) override;
  intptr_t IconHandle(int iconResourceId) const override;
  Size LayoutMinimum() const override { return layoutMinimum_; }
  void SetLayoutMinimum(Size minimumClient) override { layoutMinimum_ = minimumClient; }

  TimerPort& Timers() override { return timers_; }
  HotkeyPort& Hotkeys() override { return hotkeys_; }

  // Settings dialog host and capture page
  WindowHandle ItemHandle(int id) const override;
  bool SubclassItem(int id, ControlHandler& handler) override;
  int InsertTabItem(int id, int index, const std::wstring& text) override;
  int GetTabSelection(int id) const override;
  void SetTabSelection(int id, int index) override;
  intptr_t SendNotify(int fromId, int code) override;
  void CaptureMouse(int id) override;
  void ReleaseMouse() override;
  intptr_t SetCursorResource(int cursorResourceId) override;
  void RestoreCursor(intptr_t cursor) override;
  void SetButtonIcon(int id, int iconResourceId) override;
  Rect TabDisplayRect(int id) const override;
  void Focus() override;

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
  void Raise() override;

 private:
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }

  HWND window_;
  HINSTANCE instance_;
  bool modal_;
  TimerWin32 timers_;
  HotkeysWin32 hotkeys_;
  Size layoutMinimum_;
  int dpi_;
  // Bitmaps loaded for picture controls, freed with the view.
  std::map<int, HBITMAP> bitmaps_;
  // Icons sized for the DPI, by the button that shows them; freed when replaced
  // and with the view.
  std::map<int, HICON> buttonIcons_;
};

}  // namespace lorik::ui
