#include "app/LastShotReview.h"

#include "core/AppName.h"
#include "platform/MessageBox.h"
#include "ui/DialogHost.h"

namespace lorik {

CBurstReview* LastShotReview::Window() const {
  return window_ && window_->IsOpen() ? window_.get() : nullptr;
}

void LastShotReview::Open(WindowHandle owner, const LastShot& shot) {
  if (shot.files.empty()) {
    ports_.messages.Show(L"確認できるマルチショットがまだありません", kAppName, mb::kOk);
    return;
  }
  if (CBurstReview* open = Window(); open && open->Serial() == shot.serial) {
    open->AddFiles(shot.files);
    open->View()->Raise();
    return;
  }
  Show(owner, shot);
}

void LastShotReview::OnShotSaved(WindowHandle owner, const LastShot& shot,
                                 bool openAfterMultiShot) {
  if (CBurstReview* open = Window()) {
    // A window on another shot is the user's work in progress: it stays.
    if (open->Serial() == shot.serial) open->AddFiles(shot.files);
    return;
  }
  // Once per shot: a frame finished late must not bring back a closed window.
  if (!openAfterMultiShot || !shot.ended || shot.files.empty() || shot.profileNo == 0 ||
      openedBySelf_ == shot.serial)
    return;
  openedBySelf_ = shot.serial;
  Show(owner, shot);
}

void LastShotReview::Show(WindowHandle owner, const LastShot& shot) {
  if (CBurstReview* open = Window()) open->EndDialog(ui::kIdCancel);
  window_ = std::make_unique<CBurstReview>(ports_, shot.serial, shot.startTime, shot.files);
  if (!dialogs_.CreateModeless(*window_, owner)) {
    window_.reset();
    ports_.messages.Show(L"確認ウィンドウを開けませんでした", kAppName, mb::kIconError);
    return;
  }
  window_->View()->Show(true);
}

}  // namespace lorik
