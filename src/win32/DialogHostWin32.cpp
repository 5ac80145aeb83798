#include "win32/DialogHostWin32.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/Dialog.h"
#include "ui/Layout.h"
#include "win32/DialogViewWin32.h"
#include "win32/Dpi.h"
#include "win32/EdgeGuard.h"

namespace lorik::ui {
namespace {

struct LaidOutControl {
  LayoutItem item;
  HWND window;
  Rect original;  // in the dialog's client coordinates at WM_INITDIALOG
};

// What the dialog procedure keeps per window, in GWLP_USERDATA from
// WM_INITDIALOG to WM_NCDESTROY.
struct WindowState {
  Dialog* dialog = nullptr;
  bool modeless = false;
  std::weak_ptr<const void> life;  // expired once the Dialog object is gone
  std::unique_ptr<DialogViewWin32> view;
  Size initialClient;
  std::vector<LaidOutControl> layout;
  // The font the controls use: the template's, which belongs to the dialog
  // manager, until a DPI change makes one that the state owns.
  HFONT font = nullptr;
  HFONT ownedFont = nullptr;
};

// Save, hotkey and other pages: modeless dialogs inside another window's modal loop.
// That loop hands keyboard messages only to its own dialog, so a message filter hook
// lets each modeless dialog see the keys of its controls (Tab, Enter, Esc), as a loop
// of its own would. User-interface thread only.
std::vector<HWND>& ModelessWindows() {
  static std::vector<HWND> windows;
  return windows;
}
HHOOK filterHook = nullptr;

LRESULT FilterModelessKeys(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    for (HWND window : ModelessWindows()) {
      if (window == msg->hwnd || ::IsChild(window, msg->hwnd)) {
        if (::IsDialogMessageW(window, msg)) return 1;
        break;
      }
    }
  }
  return ::CallNextHookEx(filterHook, code, wParam, lParam);
}

LRESULT CALLBACK ModelessKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  return win32::AtEdge(
      "the dialogs' key filter", [&] { return FilterModelessKeys(code, wParam, lParam); },
      [&] { return ::CallNextHookEx(filterHook, code, wParam, lParam); });
}

void AddModeless(HWND window) {
  ModelessWindows().push_back(window);
  if (filterHook == nullptr) {
    filterHook =
        ::SetWindowsHookExW(WH_MSGFILTER, ModelessKeyFilter, nullptr, ::GetCurrentThreadId());
  }
}

void RemoveModeless(HWND window) {
  auto& windows = ModelessWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
  if (windows.empty() && filterHook != nullptr) {
    ::UnhookWindowsHookEx(filterHook);
    filterHook = nullptr;
  }
}

struct CreateParams {
  Dialog* dialog;
  HINSTANCE instance;
  bool modal;
  bool initialized = false;
};

// The messages whose result a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
  switch (msg) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

// Touches neither the window's state nor the dialog after the handler: the
// handler may have destroyed the window (freeing the state) or the object.
INT_PTR Forward(HWND window, Dialog& dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  intptr_t result = 0;
  if (!dialog.HandleMessage({msg, wParam, lParam}, result)) return FALSE;
  if (ReturnsResultDirectly(msg)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
  return TRUE;
}

WindowState* StateOf(HWND window) {
  return reinterpret_cast<WindowState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

INT_PTR OnInitDialog(HWND window, WPARAM wParam, LPARAM lParam) {
  auto* params = reinterpret_cast<CreateParams*>(lParam);
  params->initialized = true;
  Dialog& dialog = *params->dialog;

  auto state = std::make_unique<WindowState>();
  state->dialog = &dialog;
  state->modeless = !params->modal;
  state->life = dialog.LifeToken();
  state->view = std::make_unique<DialogViewWin32>(window, params->instance, params->modal);
  win32::DisableDialogDpiScaling(window);
  state->initialClient = state->view->GetClientRect().GetSize();
  state->font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  state->view->SetLayoutMinimum(state->initialClient);
  for (const LayoutItem& item : dialog.GetDynamicLayout()) {
    HWND control = ::GetDlgItem(window, item.id);
    if (control != nullptr) {
      state->layout.push_back({item, control, state->view->GetItemRect(item.id)});
    }
  }
  DialogView* view = state->view.get();
  ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
  dialog.Attach(view);
  return Forward(window, dialog, WM_INITDIALOG, wParam, lParam);
}

// Every control of the layout goes where its percentages put it relative to
// where it started, so repeated resizing never accumulates rounding.
void ApplyDynamicLayout(HWND window, const WindowState& state, Size client) {
  if (state.layout.empty()) return;
  const Size minimum = state.view->LayoutMinimum();
  client = {std::max(client.width, minimum.width), std::max(client.height, minimum.height)};
  const Size delta{client.width - state.initialClient.width,
                   client.height - state.initialClient.height};
  HDWP defer = ::BeginDeferWindowPos(static_cast<int>(state.layout.size()));
  for (const LaidOutControl& control : state.layout) {
    const Rect r = ApplyLayout(control.original, delta, control.item);
    constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (defer != nullptr) {
      defer = ::DeferWindowPos(defer, control.window, nullptr, r.left, r.top, r.Width(), r.Height(),
                               kFlags);
    }
    // A failed DeferWindowPos drops the whole batch; move the rest one by one.
    if (defer == nullptr) {
      ::SetWindowPos(control.window, nullptr, r.left, r.top, r.Width(), r.Height(), kFlags);
    }
  }
  if (defer != nullptr) ::EndDeferWindowPos(defer);
  ::InvalidateRect(window, nullptr, TRUE);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Whether a child window is a dialog of this host (a settings page).
bool IsHostedDialog(HWND window) {
  return StateOf(window) != nullptr &&
         ::GetWindowLongPtrW(window, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(DialogProc);
}

// A DPI change as the template would have made the window at the new DPI:
// every control moves and grows by the ratio of the two DPIs, the dialog font
// is made again for the new DPI and given to every control that used it, the
// dialogs inside (the pages) are scaled the same way, and the dynamic layout
// keeps its starting rectangles at the new DPI, so that the next WM_SIZE does
// not put the controls back where the old DPI had them.
void ScaleForNewDpi(HWND window, WindowState& state, int dpi) {
  const int old = state.view->Dpi();
  if (dpi <= 0 || dpi == old) return;
  // Not asked of the window: a dialog answers WM_GETFONT with its template's font.
  const HFONT oldFont = state.font;
  HFONT font = win32::ScaledFontCopy(oldFont, dpi, old);
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    const Rect scaled = ScaleForDpi(Rect{r.left, r.top, r.right, r.bottom}, dpi, old);
    ::SetWindowPos(child, nullptr, scaled.left, scaled.top, scaled.Width(), scaled.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (IsHostedDialog(child)) {
      ScaleForNewDpi(child, *StateOf(child), dpi);
    } else if (const auto childFont =
                   reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
               font != nullptr && (childFont == oldFont || childFont == nullptr)) {
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
  }
  if (font != nullptr) {
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (state.ownedFont != nullptr) ::DeleteObject(state.ownedFont);
    state.ownedFont = font;
    state.font = font;
  }
  for (LaidOutControl& control : state.layout)
    control.original = ScaleForDpi(control.original, dpi, old);
  state.initialClient = ScaleForDpi(state.initialClient, dpi, old);
  state.view->SetLayoutMinimum(ScaleForDpi(state.view->LayoutMinimum(), dpi, old));
  state.view->SetDpi(dpi);
  ::InvalidateRect(window, nullptr, TRUE);
}

// The window scaled, then moved to the rectangle the platform suggests (its
// WM_SIZE lays it out at the new DPI); the dialog then rebuilds what it drew
// for the old one.
void OnDpiChanged(HWND window, WindowState& state, WPARAM wParam, LPARAM lParam) {
  ScaleForNewDpi(window, state, LOWORD(wParam));
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
    ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The dialog hears WM_NCDESTROY first (it may delete itself there); then the
// view is detached, unless the object is gone, and freed with the state.
INT_PTR OnNcDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
  std::unique_ptr<WindowState> state(StateOf(window));
  ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (state->modeless) RemoveModeless(window);
  if (!state->life.expired()) Forward(window, *state->dialog, WM_NCDESTROY, wParam, lParam);
  if (!state->life.expired() && state->dialog->View() == state->view.get()) {
    state->dialog->Detach();
  }
  // The controls that used it are gone.
  if (state->ownedFont != nullptr) ::DeleteObject(state->ownedFont);
  return FALSE;
}

INT_PTR HandleDialogMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) return OnInitDialog(window, wParam, lParam);
  WindowState* state = StateOf(window);
  // Messages before WM_INITDIALOG (WM_SETFONT and the creation messages) go to the default.
  if (state == nullptr) return FALSE;
  if (msg == WM_NCDESTROY) return OnNcDestroy(window, wParam, lParam);
  if (msg == WM_SIZE && wParam != SIZE_MINIMIZED) {
    ApplyDynamicLayout(window, *state, {LOWORD(lParam), HIWORD(lParam)});
  }
  if (msg == WM_DPICHANGED) OnDpiChanged(window, *state, wParam, lParam);
  if (state->life.expired()) return FALSE;
  return Forward(window, *state->dialog, msg, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A handler that throws leaves its message to the default, as if not taken.
  return win32::AtEdge(
      "a dialog", [&] { return HandleDialogMessage(window, msg, wParam, lParam); },
      [] { return INT_PTR{FALSE}; });
}

}  // namespace

// A Dialog object drives one window at a time: a second run while it is open fails.
int DialogHostWin32::RunModal(Dialog& dialog, WindowHandle parent) {
  if (dialog.IsOpen()) return -1;
  CreateParams params{&dialog, instance_, true};
  const INT_PTR result = ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(dialog.TemplateId()),
                                           reinterpret_cast<HWND>(parent.value), DialogProc,
                                           reinterpret_cast<LPARAM>(&params));
  // DialogBoxParamW returns 0, not -1, for an invalid parent; that window never existed.
  if (!params.initialized) return -1;
  return static_cast<int>(result);
}

bool DialogHostWin32::CreateModeless(Dialog& dialog, WindowHandle parent) {
  if (dialog.IsOpen()) return false;
  CreateParams params{&dialog, instance_, false};
  HWND window = ::CreateDialogParamW(instance_, MAKEINTRESOURCEW(dialog.TemplateId()),
                                     reinterpret_cast<HWND>(parent.value), DialogProc,
                                     reinterpret_cast<LPARAM>(&params));
  if (window == nullptr) return false;
  // A page (a child window) is part of its parent's dialog already.
  if ((::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0) AddModeless(window);
  return true;
}

}  // namespace lorik::ui
