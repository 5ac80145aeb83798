#pragma once
#include <cstdint>
#include <memory>

#include "core/WindowHandle.h"
#include "pipeline/LastShot.h"
#include "review/BurstReview.h"

namespace lorik {

namespace ui {
class DialogHost;
}

// The main window's side of the review window: opens it on the last shot,
// hands it files written later, and opens it by itself after a multi shot
// when the user asked for that. Owns the window's object; the platform owns
// the window, which goes with the main window.
class LastShotReview {
 public:
  LastShotReview(ReviewPorts ports, ui::DialogHost& dialogs)
      : ports_(std::move(ports)), dialogs_(dialogs) {}

  // The menu item and the thumbnail's double click.
  void Open(WindowHandle owner, const LastShot& shot);
  // Files of a multi shot whose last frame has been handled were written.
  void OnShotSaved(WindowHandle owner, const LastShot& shot, bool openAfterMultiShot);
  // The open window, null when none is.
  CBurstReview* Window() const;

 private:
  void Show(WindowHandle owner, const LastShot& shot);

  ReviewPorts ports_;
  ui::DialogHost& dialogs_;
  std::unique_ptr<CBurstReview> window_;
  uint64_t openedBySelf_ = 0;  // the serial of the shot last opened after its end
};

}  // namespace lorik
