#include "win32/DialogViewWin32.h"

#include "ui/Message.h"
#include "win32/CommonControls.h"
#include "win32/Dpi.h"
#include "win32/EdgeGuard.h"

namespace lorik::ui {
namespace {

Rect ToRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

constexpr UINT_PTR kControlSubclass = 0x4C43;

LRESULT HandleControlMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                             DWORD_PTR data);
constexpr SUBCLASSPROC ControlProc = win32::GuardedSubclassProc<HandleControlMessage>;

LRESULT HandleControlMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                             DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    win32::CommonControls().removeWindowSubclass(window, ControlProc, kControlSubclass);
    return win32::CommonControls().defSubclassProc(window, message, wParam, lParam);
  }
  auto& handler = *reinterpret_cast<ControlHandler*>(data);
  intptr_t result = 0;
  if (handler.OnControlMessage(WindowHandle{reinterpret_cast<uintptr_t>(window)},
                               {message, wParam, lParam}, result)) {
    return result;
  }
  return win32::CommonControls().defSubclassProc(window, message, wParam, lParam);
}

}  // namespace

DialogViewWin32::DialogViewWin32(HWND window, HINSTANCE instance, bool modal)
    : window_(window),
      instance_(instance),
      modal_(modal),
      timers_(window),
      hotkeys_(window),
      dpi_(win32::DpiOfWindow(window)) {}

WindowHandle DialogViewWin32::Handle() const {
  return WindowHandle{reinterpret_cast<uintptr_t>(window_)};
}

// DestroyWindow frees this view (the host deletes it on WM_NCDESTROY), so
// nothing after it may touch a member.
void DialogViewWin32::EndDialog(int result) {
  HWND window = window_;
  if (modal_) {
    ::EndDialog(window, result);
  } else {
    ::DestroyWindow(window);
  }
}

Rect DialogViewWin32::GetWindowRect() const {
  RECT r{};
  ::GetWindowRect(window_, &r);
  return ToRect(r);
}

Rect DialogViewWin32::GetClientRect() const {
  RECT r{};
  ::GetClientRect(window_, &r);
  return ToRect(r);
}

void DialogViewWin32::SetWindowPos(std::optional<ZOrder> order, const Rect& rect, unsigned flags) {
  HWND insertAfter = nullptr;
  if (order) {
    switch (*order) {
      case ZOrder::Top:
        insertAfter = HWND_TOP;
        break;
      case ZOrder::Topmost:
        insertAfter = HWND_TOPMOST;
        break;
      case ZOrder::NoTopmost:
        insertAfter = HWND_NOTOPMOST;
        break;
    }
  }
  ::SetWindowPos(window_, insertAfter, rect.left, rect.top, rect.Width(), rect.Height(), flags);
}

void DialogViewWin32::SetCaption(const std::wstring& text) {
  ::SetWindowTextW(window_, text.c_str());
}

// Shared icons: the system owns them, so nothing is destroyed when the window goes.
void DialogViewWin32::SetIcon(int iconResourceId) {
  HICON bigIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(iconResourceId));
  auto* smallIcon = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(iconResourceId),
                                                    IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                    ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(smallIcon != nullptr ? smallIcon : bigIcon));
}

void DialogViewWin32::Show(bool visible) {
  ::ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}

bool DialogViewWin32::AppendSystemMenuItem(unsigned command, const std::wstring& text) {
  HMENU menu = ::GetSystemMenu(window_, FALSE);
  if (menu == nullptr) return false;
  return ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) != FALSE &&
         ::AppendMenuW(menu, MF_STRING, command, text.c_str()) != FALSE;
}

// A buffer length of 0 makes LoadStringW hand out the read-only resource
// itself, so strings of any length come back whole.
std::wstring DialogViewWin32::LoadString(int stringId) const {
  const wchar_t* text = nullptr;
  const int length =
      ::LoadStringW(instance_, static_cast<UINT>(stringId), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<size_t>(length));
}

bool DialogViewWin32::HasItem(int id) const {
  return Item(id) != nullptr;
}

std::wstring DialogViewWin32::GetItemText(int id) const {
  HWND item = Item(id);
  if (item == nullptr) return {};
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
  const int copied = ::GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void DialogViewWin32::SetItemText(int id, const std::wstring& text) {
  ::SetDlgItemTextW(window_, id, text.c_str());
}

bool DialogViewWin32::GetCheck(int id) const {
  return ::IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

void DialogViewWin32::SetCheck(int id, bool checked) {
  ::CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void DialogViewWin32::EnableItem(int id, bool enabled) {
  if (HWND item = Item(id)) ::EnableWindow(item, enabled ? TRUE : FALSE);
}

void DialogViewWin32::ShowItem(int id, bool visible) {
  if (HWND item = Item(id)) ::ShowWindow(item, visible ? SW_SHOW : SW_HIDE);
}

Rect DialogViewWin32::GetItemRect(int id) const {
  HWND item = Item(id);
  if (item == nullptr) return {};
  RECT r{};
  ::GetWindowRect(item, &r);
  ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
  return ToRect(r);
}

void DialogViewWin32::SetItemRect(int id, const Rect& rect) {
  if (HWND item = Item(id)) {
    ::SetWindowPos(item, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

DialogViewWin32::~DialogViewWin32() {
  for (const auto& [id, bitmap] : bitmaps_) ::DeleteObject(bitmap);
  for (const auto& [id, icon] : buttonIcons_) ::DestroyIcon(icon);
}

void DialogViewWin32::SetItemBitmap(int id, int bitmapResourceId) {
  auto it = bitmaps_.find(bitmapResourceId);
  if (it == bitmaps_.end()) {
    auto* bitmap = static_cast<HBITMAP>(::LoadImageW(instance_, MAKEINTRESOURCEW(bitmapResourceId),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return;
    it = bitmaps_.emplace(bitmapResourceId, bitmap).first;
  }
  ::SendDlgItemMessageW(window_, id, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(it->second));
}

Point DialogViewWin32::ClientToScreen(Point client) const {
  POINT p{client.x, client.y};
  ::ClientToScreen(window_, &p);
  return {p.x, p.y};
}

Point DialogViewWin32::ScreenToClient(Point screen) const {
  POINT p{screen.x, screen.y};
  ::ScreenToClient(window_, &p);
  return {p.x, p.y};
}

intptr_t DialogViewWin32::IconHandle(int iconResourceId) const {
  return reinterpret_cast<intptr_t>(::LoadIconW(instance_, MAKEINTRESOURCEW(iconResourceId)));
}

void DialogViewWin32::PaintIconCentered(int iconResourceId) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window_, &ps);
  ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  ::GetClientRect(window_, &client);
  const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, reinterpret_cast<HICON>(IconHandle(iconResourceId)));
  ::EndPaint(window_, &ps);
}

WindowHandle DialogViewWin32::ItemHandle(int id) const {
  return WindowHandle{reinterpret_cast<uintptr_t>(Item(id))};
}

// A second subclass of the same control replaces the handler of the first.
bool DialogViewWin32::SubclassItem(int id, ControlHandler& handler) {
  HWND item = Item(id);
  return item != nullptr &&
         win32::CommonControls().setWindowSubclass(item, ControlProc, kControlSubclass,
                                                   reinterpret_cast<DWORD_PTR>(&handler)) != FALSE;
}

int DialogViewWin32::InsertTabItem(int id, int index, const std::wstring& text) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  return static_cast<int>(::SendDlgItemMessageW(
      window_, id, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

int DialogViewWin32::GetTabSelection(int id) const {
  if (Item(id) == nullptr) return -1;
  return static_cast<int>(::SendDlgItemMessageW(window_, id, TCM_GETCURSEL, 0, 0));
}

void DialogViewWin32::SetTabSelection(int id, int index) {
  ::SendDlgItemMessageW(window_, id, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

intptr_t DialogViewWin32::SendNotify(int fromId, int code) {
  NMHDR header{};
  header.hwndFrom = Item(fromId);
  header.idFrom = static_cast<UINT_PTR>(fromId);
  header.code = static_cast<UINT>(code);
  return ::SendMessageW(window_, WM_NOTIFY, static_cast<WPARAM>(fromId),
                        reinterpret_cast<LPARAM>(&header));
}

void DialogViewWin32::CaptureMouse(int id) {
  if (HWND item = Item(id)) ::SetCapture(item);
}

void DialogViewWin32::ReleaseMouse() {
  ::ReleaseCapture();
}

// Cursors loaded from resources are shared: nothing to free.
intptr_t DialogViewWin32::SetCursorResource(int cursorResourceId) {
  HCURSOR cursor = ::LoadCursorW(instance_, MAKEINTRESOURCEW(cursorResourceId));
  return reinterpret_cast<intptr_t>(::SetCursor(cursor));
}

void DialogViewWin32::RestoreCursor(intptr_t cursor) {
  ::SetCursor(reinterpret_cast<HCURSOR>(cursor));
}

// The icon file holds an image for each scale, so the loader finds one of the
// exact size and scales nothing.
void DialogViewWin32::SetButtonIcon(int id, int iconResourceId) {
  const int size = ScaleForDpi(16, dpi_);
  auto* icon = static_cast<HICON>(
      ::LoadImageW(instance_, MAKEINTRESOURCEW(iconResourceId), IMAGE_ICON, size, size, 0));
  if (icon == nullptr) return;
  ::SendDlgItemMessageW(window_, id, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  auto [it, added] = buttonIcons_.emplace(id, icon);
  if (!added) {
    ::DestroyIcon(it->second);
    it->second = icon;
  }
}

Rect DialogViewWin32::TabDisplayRect(int id) const {
  HWND tab = Item(id);
  if (tab == nullptr) return {};
  const Rect place = GetItemRect(id);
  RECT r{place.left, place.top, place.right, place.bottom};
  ::SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return ToRect(r);
}

void DialogViewWin32::Focus() {
  ::SetFocus(window_);
}

// Save, hotkey and other pages.

int DialogViewWin32::AddComboString(int id, const std::wstring& text) {
  const LRESULT index =
      ::SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return index >= 0 ? static_cast<int>(index) : -1;
}

int DialogViewWin32::GetComboCount(int id) const {
  const LRESULT count = ::SendDlgItemMessageW(window_, id, CB_GETCOUNT, 0, 0);
  return count > 0 ? static_cast<int>(count) : 0;
}

int DialogViewWin32::GetComboSelection(int id) const {
  if (Item(id) == nullptr) return -1;
  const LRESULT index = ::SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0);
  return index >= 0 ? static_cast<int>(index) : -1;
}

void DialogViewWin32::SetComboSelection(int id, int index) {
  ::SendDlgItemMessageW(window_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring DialogViewWin32::GetComboItemText(int id, int index) const {
  if (Item(id) == nullptr || index < 0) return {};
  const LRESULT length =
      ::SendDlgItemMessageW(window_, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = ::SendDlgItemMessageW(
      window_, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void DialogViewWin32::SetEditTextSelected(int id, const std::wstring& text) {
  HWND item = Item(id);
  if (item == nullptr) return;
  ::SetWindowTextW(item, text.c_str());
  ::SendMessageW(item, EM_SETSEL, 0, -1);
  ::SendMessageW(item, EM_SCROLLCARET, 0, 0);
}

void DialogViewWin32::SetEditCue(int id, const std::wstring& cue) {
  // wParam TRUE: the hint stays while the field has the focus, where a user
  // about to type the folder still needs to see what empty means.
  ::SendDlgItemMessageW(window_, id, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
}

uint16_t DialogViewWin32::GetHotkey(int id) const {
  return static_cast<uint16_t>(::SendDlgItemMessageW(window_, id, HKM_GETHOTKEY, 0, 0) & 0xFFFF);
}

void DialogViewWin32::SetHotkey(int id, uint16_t keyAndFlags) {
  ::SendDlgItemMessageW(window_, id, HKM_SETHOTKEY, keyAndFlags, 0);
}

bool DialogViewWin32::InsertListColumn(int id, int column, const std::wstring& header) {
  LVCOLUMNW lvc{};
  lvc.mask = LVCF_TEXT | LVCF_SUBITEM;
  lvc.pszText = const_cast<wchar_t*>(header.c_str());
  lvc.iSubItem = column;
  return ::SendDlgItemMessageW(window_, id, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                               reinterpret_cast<LPARAM>(&lvc)) >= 0;
}

int DialogViewWin32::InsertListItem(int id, int index, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  const LRESULT inserted =
      ::SendDlgItemMessageW(window_, id, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return inserted >= 0 ? static_cast<int>(inserted) : -1;
}

bool DialogViewWin32::SetListItemText(int id, int item, int subItem, const std::wstring& text) {
  LVITEMW lvi{};
  lvi.iSubItem = subItem;
  lvi.pszText = const_cast<wchar_t*>(text.c_str());
  return ::SendDlgItemMessageW(window_, id, LVM_SETITEMTEXTW, static_cast<WPARAM>(item),
                               reinterpret_cast<LPARAM>(&lvi)) != FALSE;
}

int DialogViewWin32::GetListItemCount(int id) const {
  const LRESULT count = ::SendDlgItemMessageW(window_, id, LVM_GETITEMCOUNT, 0, 0);
  return count > 0 ? static_cast<int>(count) : 0;
}

void DialogViewWin32::AutoSizeListColumn(int id, int column) {
  ::SendDlgItemMessageW(window_, id, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                        MAKELPARAM(LVSCW_AUTOSIZE, 0));
}

void DialogViewWin32::Raise() {
  ::BringWindowToTop(window_);
}

}  // namespace lorik::ui
