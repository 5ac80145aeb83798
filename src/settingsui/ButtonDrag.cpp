#include "settingsui/ButtonDrag.h"

#include <string>

#include "platform/Timers.h"
#include "platform/Trace.h"
#include "platform/WindowSystem.h"
#include "resource.h"
#include "ui/Dialog.h"
#include "ui/Message.h"

namespace lorik {

bool CButtonDrag::Attach(ui::DialogView& view, int id) {
  view_ = &view;
  id_ = id;
  dragging_ = {};
  return view.SubclassItem(id, *this);
}

// The native button still sees both messages, so it shows its pressed state
// and ends its own capture.
bool CButtonDrag::OnControlMessage(WindowHandle button, const ui::Message& message, intptr_t&) {
  if (message.msg == ui::wm::kLButtonDown) {
    OnLButtonDown(button);
  } else if (message.msg == ui::wm::kLButtonUp) {
    const auto packed = static_cast<uintptr_t>(message.lParam);
    OnLButtonUp(button, {static_cast<int16_t>(ui::LowWord(packed)),
                         static_cast<int16_t>(ui::HighWord(packed))});
  }
  return false;
}

void CButtonDrag::OnLButtonDown(WindowHandle button) {
  if (view_ == nullptr) return;
  view_->CaptureMouse(id_);
  // Hidden so that the windows beneath can be pointed at.
  const WindowHandle root = windows_.Root(button);
  const WindowHandle owner = windows_.Parent(root);
  windows_.ShowWindow(owner, false, false);
  windows_.ShowWindow(root, false, false);
  previousCursor = view_->SetCursorResource(IDC_CURSOR_DRAG);
  dragging_ = button;
  view_->Timers().Start(kReleaseWatchTimer, kReleaseWatchMs);
}

void CButtonDrag::OnTimer(uintptr_t timerId) {
  if (timerId != kReleaseWatchTimer || view_ == nullptr) return;
  if (!dragging_) {
    view_->Timers().Kill(kReleaseWatchTimer);
    return;
  }
  if (windows_.IsPrimaryButtonDown()) return;
  OnLButtonUp(dragging_, windows_.ScreenToClient(dragging_, windows_.CursorPos()));
}

void CButtonDrag::OnLButtonUp(WindowHandle button, Point point) {
  if (view_ == nullptr) return;
  // A release without a press on the button (the press went elsewhere) is no drop.
  if (!dragging_) return;
  dragging_ = {};
  view_->Timers().Kill(kReleaseWatchTimer);
  view_->RestoreCursor(previousCursor);
  view_->ReleaseMouse();
  if (notifyTarget != nullptr && notifyTarget->View() != nullptr) notifyTarget->View()->Focus();

  // Asked while the two windows are still hidden, so neither can be found.
  const Point screen = windows_.ClientToScreen(button, point);
  const WindowHandle found = windows_.WindowFromPoint(screen);
  const WindowHandle root = windows_.Root(button);
  const WindowHandle owner = windows_.Parent(root);
  // The dialog becomes the active window again; the main window comes back
  // behind it, not over it.
  windows_.ShowWindow(root, true, true);
  windows_.ShowWindow(owner, true, false);

  // Up to the top (through the owner of an owned pop-up), then down through
  // the children at the point, which may reach one the hit test skipped.
  WindowHandle window = found;
  while (window) {
    const WindowHandle parent = windows_.Parent(window);
    if (!parent) break;
    window = parent;
  }
  Point client = screen;
  while (window) {
    client = windows_.ScreenToClient(window, screen);
    const WindowHandle child = windows_.ChildWindowFromPoint(window, client);
    if (!child || child == window) break;
    window = child;
  }
  droppedWindow = window;
  dropPoint = client;

  if (notifyTarget != nullptr && notifyTarget->View() != nullptr) {
    notifyTarget->View()->SendNotify(id_, ui::nm::kReleasedCapture);
  }
  trace_.Write("ScreenPoint:" + std::to_string(screen.x) + " " + std::to_string(screen.y) +
               " ClientPoint:" + std::to_string(dropPoint.x) + " " + std::to_string(dropPoint.y) +
               "\n");
}

}  // namespace lorik
