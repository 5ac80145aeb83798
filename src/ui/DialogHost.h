#pragma once
#include "core/WindowHandle.h"

namespace lorik::ui {

class Dialog;

// Creates dialog windows from the templates of the program's resources.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Runs `dialog` modally on its template; returns the EndDialog result, or -1
  // when the window could not be created.
  virtual int RunModal(Dialog& dialog, WindowHandle parent) = 0;
  // Creates `dialog` as a modeless window; false when it could not be created.
  virtual bool CreateModeless(Dialog& dialog, WindowHandle parent) = 0;
};

}  // namespace lorik::ui
