#include "fakes/FakeDialogView.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lorik::ui {

void FakeDialogView::EndDialog(int result) {
  ++endCalls;
  if (!endResult) endResult = result;
  // Copied: the host may free this view (a modeless window going away).
  auto notify = onEndDialog;
  if (notify) notify(result);
}

void FakeDialogView::SetWindowPos(std::optional<ZOrder> order, const Rect& rect, unsigned flags) {
  windowPosCalls.push_back({order, rect, flags});
  Rect next = windowRect;
  if ((flags & swp::kNoMove) == 0) {
    next = Rect::FromXywh(rect.left, rect.top, next.Width(), next.Height());
  }
  if ((flags & swp::kNoSize) == 0) {
    clientRect.right += rect.Width() - next.Width();
    clientRect.bottom += rect.Height() - next.Height();
    next.right = next.left + rect.Width();
    next.bottom = next.top + rect.Height();
  }
  windowRect = next;
  if ((flags & swp::kNoZOrder) == 0 && order) {
    if (*order == ZOrder::Topmost) topmost = true;
    if (*order == ZOrder::NoTopmost) topmost = false;
  }
}

bool FakeDialogView::AppendSystemMenuItem(unsigned command, const std::wstring& text) {
  if (!hasSystemMenu) return false;
  systemMenu.push_back({true, 0, {}});
  systemMenu.push_back({false, command, text});
  return true;
}

std::wstring FakeDialogView::LoadString(int stringId) const {
  auto it = strings.find(stringId);
  return it == strings.end() ? std::wstring() : it->second;
}

const FakeControl* FakeDialogView::Find(int id) const {
  auto it = controls.find(id);
  if (it != controls.end()) return &it->second;
  unknownIds.insert(id);
  return nullptr;
}

FakeControl* FakeDialogView::Find(int id) {
  return const_cast<FakeControl*>(std::as_const(*this).Find(id));
}

std::wstring FakeDialogView::GetItemText(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? c->text : std::wstring();
}

void FakeDialogView::SetItemText(int id, const std::wstring& text) {
  FakeControl* c = Find(id);
  if (c == nullptr) return;
  c->text = text;
  c->textSelected = false;
  if (c->edit) NotifyCommand(id, kEnChange);
}

bool FakeDialogView::GetCheck(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr && c->checked;
}

void FakeDialogView::SetCheck(int id, bool checked) {
  if (FakeControl* c = Find(id)) c->checked = checked;
}

void FakeDialogView::EnableItem(int id, bool enabled) {
  if (FakeControl* c = Find(id)) c->enabled = enabled;
}

void FakeDialogView::ShowItem(int id, bool show) {
  if (FakeControl* c = Find(id)) c->visible = show;
}

Rect FakeDialogView::GetItemRect(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? c->rect : Rect{};
}

void FakeDialogView::SetItemRect(int id, const Rect& rect) {
  if (FakeControl* c = Find(id)) c->rect = rect;
}

void FakeDialogView::SetItemBitmap(int id, int bitmapResourceId) {
  if (FakeControl* c = Find(id)) c->bitmap = bitmapResourceId;
}

FakeControl& FakeDialogView::Control(int id) {
  if (FakeControl* c = Find(id)) return *c;
  ADD_FAILURE() << "dialog has no control " << id;
  static FakeControl dummy;
  dummy = {};
  return dummy;
}

FakeControl& FakeDialogView::AddControl(int id, FakeControl control) {
  return controls[id] = std::move(control);
}

WindowHandle FakeDialogView::ItemHandle(int id) const {
  if (!controls.contains(id)) return {};
  return WindowHandle{handle_.value + static_cast<uintptr_t>(id)};
}

bool FakeDialogView::SubclassItem(int id, ControlHandler& handler) {
  FakeControl* c = Find(id);
  if (c == nullptr) return false;
  c->handler = &handler;
  return true;
}

int FakeDialogView::InsertTabItem(int id, int index, const std::wstring& text) {
  FakeControl* c = Find(id);
  if (c == nullptr || index < 0) return -1;
  const size_t at = std::min(static_cast<size_t>(index), c->tabs.size());
  c->tabs.insert(c->tabs.begin() + static_cast<std::ptrdiff_t>(at), text);
  // As on the platform, the first item of an empty tab control is selected.
  if (c->tabSelection < 0) c->tabSelection = 0;
  return static_cast<int>(at);
}

int FakeDialogView::GetTabSelection(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? c->tabSelection : -1;
}

void FakeDialogView::SetTabSelection(int id, int index) {
  FakeControl* c = Find(id);
  if (c != nullptr && index >= 0 && static_cast<size_t>(index) < c->tabs.size()) {
    c->tabSelection = index;
  }
}

intptr_t FakeDialogView::SendNotify(int fromId, int code) {
  notifications.push_back({fromId, code});
  return NotifyFrom(fromId, code).value_or(0);
}

std::optional<intptr_t> FakeDialogView::NotifyFrom(int id, int code) {
  if (!deliver) return std::nullopt;
  const NotifyHeader header{ItemHandle(id).value, static_cast<uintptr_t>(id),
                            static_cast<uint32_t>(code)};
  // Copied: the dialog may close its window while it handles the notification.
  auto send = deliver;
  return send({wm::kNotify, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&header)});
}

intptr_t FakeDialogView::SetCursorResource(int cursorResourceId) {
  const intptr_t previous = cursor;
  cursor = CursorHandle(cursorResourceId);
  return previous;
}

void FakeDialogView::SetButtonIcon(int id, int iconResourceId) {
  if (FakeControl* c = Find(id)) {
    c->icon = iconResourceId;
    c->iconSize = ScaleForDpi(16, dpi);
  }
}

Rect FakeDialogView::TabDisplayRect(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? c->tabDisplay : Rect{};
}

std::optional<intptr_t> FakeDialogView::SendToItem(int id, const Message& message) {
  FakeControl* c = Find(id);
  if (c == nullptr || c->handler == nullptr) return std::nullopt;
  intptr_t result = 0;
  if (!c->handler->OnControlMessage(ItemHandle(id), message, result)) return std::nullopt;
  return result;
}

// Save, hotkey and other pages.

int FakeDialogView::AddComboString(int id, const std::wstring& text) {
  FakeControl* c = Find(id);
  if (c == nullptr) return -1;
  auto at = c->items.end();
  if (c->sorted) at = std::upper_bound(c->items.begin(), c->items.end(), text);
  const int index = static_cast<int>(at - c->items.begin());
  c->items.insert(at, text);
  // The platform keeps the selected entry selected when one is inserted before it.
  if (c->selection >= index) ++c->selection;
  return index;
}

int FakeDialogView::GetComboCount(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? static_cast<int>(c->items.size()) : 0;
}

int FakeDialogView::GetComboSelection(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? c->selection : -1;
}

void FakeDialogView::SetComboSelection(int id, int index) {
  FakeControl* c = Find(id);
  if (c == nullptr) return;
  c->selection = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
}

std::wstring FakeDialogView::GetComboItemText(int id, int index) const {
  const FakeControl* c = Find(id);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
  return c->items[static_cast<size_t>(index)];
}

void FakeDialogView::SetEditTextSelected(int id, const std::wstring& text) {
  SetItemText(id, text);
  if (FakeControl* c = Find(id)) c->textSelected = true;
}

void FakeDialogView::SetEditCue(int id, const std::wstring& cue) {
  if (FakeControl* c = Find(id)) c->cue = cue;
}

uint16_t FakeDialogView::GetHotkey(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? c->hotkey : 0;
}

void FakeDialogView::SetHotkey(int id, uint16_t keyAndFlags) {
  if (FakeControl* c = Find(id)) c->hotkey = keyAndFlags;
}

bool FakeDialogView::InsertListColumn(int id, int column, const std::wstring& header) {
  FakeControl* c = Find(id);
  if (c == nullptr || c->failColumns || column < 0) return false;
  const auto at = static_cast<size_t>(std::min<int>(column, static_cast<int>(c->columns.size())));
  c->columns.insert(c->columns.begin() + static_cast<ptrdiff_t>(at), header);
  c->columnWidths.insert(c->columnWidths.begin() + static_cast<ptrdiff_t>(at), 0);
  return true;
}

int FakeDialogView::InsertListItem(int id, int index, const std::wstring& text) {
  FakeControl* c = Find(id);
  if (c == nullptr || c->failItems || index < 0) return -1;
  const auto at = static_cast<size_t>(std::min<int>(index, static_cast<int>(c->rows.size())));
  std::vector<std::wstring> row(std::max<size_t>(c->columns.size(), 1));
  row[0] = text;
  c->rows.insert(c->rows.begin() + static_cast<ptrdiff_t>(at), std::move(row));
  return static_cast<int>(at);
}

bool FakeDialogView::SetListItemText(int id, int item, int subItem, const std::wstring& text) {
  FakeControl* c = Find(id);
  if (c == nullptr || c->failSubItems || item < 0 || item >= static_cast<int>(c->rows.size()) ||
      subItem < 0) {
    return false;
  }
  auto& row = c->rows[static_cast<size_t>(item)];
  if (static_cast<size_t>(subItem) >= row.size()) row.resize(static_cast<size_t>(subItem) + 1);
  row[static_cast<size_t>(subItem)] = text;
  return true;
}

int FakeDialogView::GetListItemCount(int id) const {
  const FakeControl* c = Find(id);
  return c != nullptr ? static_cast<int>(c->rows.size()) : 0;
}

void FakeDialogView::AutoSizeListColumn(int id, int column) {
  FakeControl* c = Find(id);
  if (c == nullptr || column < 0 || column >= static_cast<int>(c->columns.size())) return;
  int width = 0;
  for (const auto& row : c->rows) {
    if (static_cast<size_t>(column) < row.size())
      width = std::max(width, CellWidth(row[static_cast<size_t>(column)]));
  }
  // The list's font grows with the window's DPI, and its text with it.
  width = ScaleForDpi(width, dpi);
  c->columnWidths[static_cast<size_t>(column)] = width;
}

}  // namespace lorik::ui
