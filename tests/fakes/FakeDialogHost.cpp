#include "fakes/FakeDialogHost.h"

#include <gtest/gtest.h>

namespace lorik::ui {
namespace {

constexpr uint32_t kNcDestroy = 0x0082;
constexpr uintptr_t kFirstHandle = 0x10000;

}  // namespace

FakeDialogHost::~FakeDialogHost() {
  for (auto& window : windows_) {
    if (window->open && !window->life.expired() && window->dialog->View() == window->view.get()) {
      window->dialog->Detach();
    }
  }
}

FakeDialogHost::Window* FakeDialogHost::Create(Dialog& dialog, WindowHandle parent, bool modal) {
  if (dialog.IsOpen() || failing_.contains(dialog.TemplateId())) return nullptr;
  auto window = std::make_unique<Window>();
  window->view = std::make_unique<FakeDialogView>(
      WindowHandle{kFirstHandle + 0x10 * static_cast<uintptr_t>(windows_.size())});
  window->dialog = &dialog;
  window->life = dialog.LifeToken();
  window->templateId = dialog.TemplateId();
  window->modal = modal;
  window->open = true;
  window->parent = parent;
  Window* raw = window.get();
  // Controls send to their window as long as it is open.
  window->view->deliver = [raw](const Message& message) -> std::optional<intptr_t> {
    if (!raw->open) return std::nullopt;
    return Deliver(*raw, message);
  };
  // A modal window ends when its run does; a modeless one goes at once.
  window->view->onEndDialog = [this, raw](int) {
    if (!raw->modal) Destroy(*raw);
  };
  if (auto it = setups_.find(dialog.TemplateId()); it != setups_.end()) it->second(*raw->view);
  raw->view->layoutMinimum = raw->view->clientRect.GetSize();
  windows_.push_back(std::move(window));
  created.push_back({dialog.TemplateId(), parent, modal});
  dialog.Attach(raw->view.get());
  Deliver(*raw, {wm::kInitDialog, 0, 0});
  return raw;
}

void FakeDialogHost::Destroy(Window& window) {
  if (!window.open) return;
  window.open = false;
  Deliver(window, {wm::kDestroy, 0, 0});
  const WindowHandle handle = window.view->Handle();
  for (size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i]->open && windows_[i]->parent == handle) Destroy(*windows_[i]);
  }
  Deliver(window, {kNcDestroy, 0, 0});
  if (!window.life.expired() && window.dialog->View() == window.view.get()) {
    window.dialog->Detach();
  }
}

std::optional<intptr_t> FakeDialogHost::Deliver(Window& window, const Message& message) {
  if (window.life.expired()) return std::nullopt;
  intptr_t result = 0;
  if (!window.dialog->HandleMessage(message, result)) return std::nullopt;
  return result;
}

int FakeDialogHost::RunModal(Dialog& dialog, WindowHandle parent) {
  Window* window = Create(dialog, parent, true);
  if (window == nullptr) return -1;
  FakeDialogView& view = *window->view;
  // EndDialog in WM_INITDIALOG ends the run before the window is shown.
  if (!view.endResult) {
    if (auto it = whileOpen_.find(window->templateId); it != whileOpen_.end()) {
      // Copied: the callback may register callbacks of its own.
      WhileOpenFn whileOpen = it->second;
      if (!window->life.expired()) whileOpen(dialog, view);
    }
  }
  if (!view.endResult) Deliver(*window, CommandMessage(kIdCancel));
  // A dialog that refuses IDCANCEL (or is gone) still has to end for the run to return.
  if (!view.endResult) view.EndDialog(kIdCancel);
  const int result = *view.endResult;
  Destroy(*window);
  return result;
}

bool FakeDialogHost::CreateModeless(Dialog& dialog, WindowHandle parent) {
  // A dialog that ends itself in WM_INITDIALOG leaves no window, as on the platform.
  Window* window = Create(dialog, parent, false);
  return window != nullptr && window->open;
}

FakeDialogView& FakeDialogHost::Open(Dialog& dialog, WindowHandle parent) {
  Window* window = Create(dialog, parent, true);
  if (window == nullptr) {
    ADD_FAILURE() << "dialog " << dialog.TemplateId() << " could not be opened";
    static FakeDialogView none;
    none = FakeDialogView();
    return none;
  }
  return *window->view;
}

void FakeDialogHost::Close(Dialog& dialog) {
  if (Window* window = OpenWindowOf(dialog)) Destroy(*window);
}

FakeDialogHost::Window* FakeDialogHost::OpenWindowOf(const Dialog& dialog) {
  for (auto& window : windows_) {
    if (window->open && window->dialog == &dialog && !window->life.expired()) return window.get();
  }
  return nullptr;
}

std::optional<intptr_t> FakeDialogHost::Send(Dialog& dialog, const Message& message) {
  Window* window = OpenWindowOf(dialog);
  if (window == nullptr) return std::nullopt;
  return Deliver(*window, message);
}

bool FakeDialogHost::Click(Dialog& dialog, int id) {
  Window* window = OpenWindowOf(dialog);
  if (window == nullptr) return false;
  auto it = window->view->controls.find(id);
  if (it == window->view->controls.end()) return false;
  FakeControl& control = it->second;
  if (!control.enabled || !control.visible) return false;
  if (control.autoCheck) control.checked = !control.checked;
  const intptr_t controlHandle = static_cast<intptr_t>(window->view->Handle().value) + id;
  Deliver(*window, CommandMessage(id, 0, controlHandle));
  return true;
}

bool FakeDialogHost::Tick(Dialog& dialog, unsigned timerId) {
  Window* window = OpenWindowOf(dialog);
  if (window == nullptr || !window->view->timers.IsRunning(timerId)) return false;
  Deliver(*window, {wm::kTimer, timerId, 0});
  return true;
}

bool FakeDialogHost::PressHotkey(Dialog& dialog, int id) {
  Window* window = OpenWindowOf(dialog);
  if (window == nullptr) return false;
  auto it = window->view->hotkeys.registered.find(id);
  if (it == window->view->hotkeys.registered.end()) return false;
  const FakeHotkeys::Combination c = it->second;
  const uintptr_t modifiers = c.modifiers & ~FakeHotkeys::kNoRepeat;
  Deliver(*window,
          {wm::kHotKey, static_cast<uintptr_t>(id),
           static_cast<intptr_t>((static_cast<uintptr_t>(c.virtualKey) << 16) | modifiers)});
  return true;
}

bool FakeDialogHost::ChangeDpi(Dialog& dialog, int dpi, const Rect& suggested) {
  Window* window = OpenWindowOf(dialog);
  if (window == nullptr) return false;
  FakeDialogView& view = *window->view;
  const int old = view.dpi;
  ScaleWindow(*window, dpi);
  // A child's rectangle is in its parent's client coordinates here, as the host moves it.
  for (auto& child : windows_) {
    if (child->open && child->parent == view.Handle()) {
      child->view->windowRect = ScaleForDpi(child->view->windowRect, dpi, old);
      child->view->clientRect = ScaleForDpi(child->view->clientRect, dpi, old);
      ScaleWindow(*child, dpi);
    }
  }
  view.SetWindowPos(std::nullopt, suggested, swp::kNoZOrder | swp::kNoActivate);
  const Rect platformCopy = suggested;
  Deliver(*window, {wm::kDpiChanged, static_cast<uintptr_t>((dpi << 16) | dpi),
                    reinterpret_cast<intptr_t>(&platformCopy)});
  return true;
}

void FakeDialogHost::ScaleWindow(Window& window, int dpi) {
  FakeDialogView& view = *window.view;
  for (auto& [id, control] : view.controls) {
    control.rect = ScaleForDpi(control.rect, dpi, view.dpi);
    control.tabDisplay = ScaleForDpi(control.tabDisplay, dpi, view.dpi);
  }
  view.layoutMinimum = ScaleForDpi(view.layoutMinimum, dpi, view.dpi);
  view.dpi = dpi;
}

FakeDialogView* FakeDialogHost::ViewOf(const Dialog& dialog) {
  Window* window = OpenWindowOf(dialog);
  return window != nullptr ? window->view.get() : nullptr;
}

FakeDialogView* FakeDialogHost::LastView(int templateId) {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->templateId == templateId) return (*it)->view.get();
  }
  return nullptr;
}

bool FakeDialogHost::SelectTab(Dialog& dialog, int id, int index) {
  Window* window = OpenWindowOf(dialog);
  if (window == nullptr) return false;
  FakeDialogView& view = *window->view;
  if (!view.HasItem(id)) return false;
  view.SetTabSelection(id, index);
  if (view.GetTabSelection(id) != index) return false;
  view.NotifyFrom(id, nm::kTabSelChange);
  return true;
}

// Save, hotkey and other pages.

bool FakeDialogHost::SelectCombo(Dialog& dialog, int id, int index) {
  Window* window = OpenWindowOf(dialog);
  if (window == nullptr) return false;
  auto it = window->view->controls.find(id);
  if (it == window->view->controls.end()) return false;
  FakeControl& control = it->second;
  if (!control.enabled || !control.visible) return false;
  window->view->SetComboSelection(id, index);
  window->view->NotifyCommand(id, kCbnSelChange);
  return true;
}

}  // namespace lorik::ui
