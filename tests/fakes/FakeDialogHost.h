#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "fakes/FakeDialogView.h"
#include "ui/Dialog.h"
#include "ui/DialogHost.h"

namespace lorik::ui {

// Runs dialogs on FakeDialogViews. A modal run attaches a view filled by the
// template's setup callback, sends WM_INITDIALOG, calls the template's
// while-open callback (where a test clicks, ticks and types), ends the dialog
// with IDCANCEL as the Escape key would if it is still open, then sends
// WM_DESTROY and WM_NCDESTROY and detaches. A modeless window stays open until
// its EndDialog, which closes it at once, as DestroyWindow does, or until its
// parent window closes (between the parent's WM_DESTROY and WM_NCDESTROY). The host never
// touches a Dialog whose object a handler deleted. Views are kept after their
// window closed, so that tests can look at what a dialog left in them.
class FakeDialogHost final : public DialogHost {
 public:
  using SetupFn = std::function<void(FakeDialogView&)>;
  using WhileOpenFn = std::function<void(Dialog&, FakeDialogView&)>;

  struct Creation {
    int templateId = 0;
    WindowHandle parent;
    bool modal = false;
  };

  FakeDialogHost() = default;
  FakeDialogHost(const FakeDialogHost&) = delete;
  FakeDialogHost& operator=(const FakeDialogHost&) = delete;
  ~FakeDialogHost() override;

  // Fills every new window of `templateId` before WM_INITDIALOG.
  void OnCreate(int templateId, SetupFn setup) { setups_[templateId] = std::move(setup); }
  // Runs inside every modal run of `templateId`, after WM_INITDIALOG.
  void WhileOpen(int templateId, WhileOpenFn whileOpen) {
    whileOpen_[templateId] = std::move(whileOpen);
  }
  // Windows of `templateId` cannot be created from now on.
  void FailCreation(int templateId) { failing_.insert(templateId); }

  int RunModal(Dialog& dialog, WindowHandle parent) override;
  bool CreateModeless(Dialog& dialog, WindowHandle parent) override;

  // Opens `dialog` as a modal window without a run, for tests that drive it
  // step by step: EndDialog only records its result, Close ends the window.
  FakeDialogView& Open(Dialog& dialog, WindowHandle parent = {});
  void Close(Dialog& dialog);

  // Delivery to an open window, as the platform would. Each returns false (or
  // nullopt) when nothing could be delivered.
  // The message's result, nullopt when the dialog is not open or did not handle it.
  std::optional<intptr_t> Send(Dialog& dialog, const Message& message);
  // A click on a button: only on an existing, enabled and visible control;
  // a check box toggles first.
  bool Click(Dialog& dialog, int id);
  // WM_TIMER, only for a timer that runs.
  bool Tick(Dialog& dialog, unsigned timerId);
  // WM_HOTKEY, only for a registered hotkey, with its modifiers and key.
  bool PressHotkey(Dialog& dialog, int id);
  // WM_DPICHANGED as the Win32 host passes it on: the window and its open
  // child windows scaled from their DPI to `dpi` (controls, tab display
  // areas, child window rectangles, layout minimum), the window moved to
  // `suggested`, then the message delivered. False when the dialog is not open.
  bool ChangeDpi(Dialog& dialog, int dpi, const Rect& suggested);

  // The view of the dialog's open window, nullptr when it has none.
  FakeDialogView* ViewOf(const Dialog& dialog);
  // The newest window of `templateId`, open or closed; nullptr when none was created.
  FakeDialogView* LastView(int templateId);

  std::vector<Creation> created;  // every window created, in order

  // Settings dialog host and capture page
  // A click on tab `index` of tab control `id`: selects it and sends TCN_SELCHANGE.
  bool SelectTab(Dialog& dialog, int id, int index);

  // Save, hotkey and other pages.
  // The user picks entry `index` of a combo box: only on an existing, enabled and
  // visible control; sends CBN_SELCHANGE.
  bool SelectCombo(Dialog& dialog, int id, int index);

 private:
  struct Window {
    std::unique_ptr<FakeDialogView> view;
    Dialog* dialog = nullptr;
    std::weak_ptr<const void> life;
    int templateId = 0;
    bool modal = false;
    bool open = false;
    WindowHandle parent;  // child windows go with it, as on the platform
  };

  Window* Create(Dialog& dialog, WindowHandle parent, bool modal);
  void Destroy(Window& window);
  // Controls and layout minimum of one window from its DPI to `dpi`.
  static void ScaleWindow(Window& window, int dpi);
  Window* OpenWindowOf(const Dialog& dialog);
  static std::optional<intptr_t> Deliver(Window& window, const Message& message);

  std::map<int, SetupFn> setups_;
  std::map<int, WhileOpenFn> whileOpen_;
  std::set<int> failing_;
  std::vector<std::unique_ptr<Window>> windows_;
};

}  // namespace lorik::ui
