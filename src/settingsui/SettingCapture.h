#pragma once
#include "resource.h"
#include "settings/Settings.h"
#include "settingsui/ButtonDrag.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

// The capture page: the target window (picked with the picker button), the
// capture rectangle (typed or recognised), window or desktop mode, what
// happens when the target is lost, and the capture period. It works on its
// working copy only, which it writes back when its window is destroyed.
class CSettingCapture : public ui::Dialog {
 public:
  explicit CSettingCapture(const SettingPorts& ports);

  void OnDragDropped(const ui::NotifyHeader& header, intptr_t& result);
  void OnAutoRecognize();
  void OnDestroy();
  void OnTimer(uintptr_t timerId);
  // The picker's picture at the window's DPI, again after a DPI change.
  void ShowPickerIcon();

  CButtonDrag picker;
  // Working copy, filled by the Settings command before a run and read after it.
  CaptureSettings capture;

 protected:
  ui::MessageMap GetMessageMap() const override;
  bool OnInitDialog() override;

 private:
  void ShowArea();

  SettingPorts ports_;
};

}  // namespace lorik
