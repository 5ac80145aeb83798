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
  if (FakeControl* c = Find(id)) c->text = text;
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
  if (!deliver) return 0;
  const NotifyHeader header{ItemHandle(fromId).value, static_cast<uintptr_t>(fromId),
                            static_cast<uint32_t>(code)};
  // Copied: the dialog may close its window while it handles the notification.
  auto send = deliver;
  return send({wm::kNotify, static_cast<uintptr_t>(fromId), reinterpret_cast<intptr_t>(&header)})
      .value_or(0);
}

intptr_t FakeDialogView::SetCursorResource(int cursorResourceId) {
  const intptr_t previous = cursor;
  cursor = CursorHandle(cursorResourceId);
  return previous;
}

void FakeDialogView::SetButtonIcon(int id, int iconResourceId) {
  if (FakeControl* c = Find(id)) c->icon = iconResourceId;
}

std::optional<intptr_t> FakeDialogView::SendToItem(int id, const Message& message) {
  FakeControl* c = Find(id);
  if (c == nullptr || c->handler == nullptr) return std::nullopt;
  intptr_t result = 0;
  if (!c->handler->OnControlMessage(ItemHandle(id), message, result)) return std::nullopt;
  return result;
}

}  // namespace lorik::ui
