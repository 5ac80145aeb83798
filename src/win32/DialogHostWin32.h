#pragma once
#include <windows.h>

#include "ui/DialogHost.h"

namespace lorik::ui {

// Creates dialogs from the templates of one module and runs their messages
// through the dialog layer: one dialog procedure for all of them, dynamic
// layout on WM_SIZE, and no use of a Dialog once a handler has destroyed it.
class DialogHostWin32 final : public DialogHost {
 public:
  explicit DialogHostWin32(HINSTANCE instance) : instance_(instance) {}

  int RunModal(Dialog& dialog, WindowHandle parent) override;
  bool CreateModeless(Dialog& dialog, WindowHandle parent) override;

 private:
  HINSTANCE instance_;
};

}  // namespace lorik::ui
