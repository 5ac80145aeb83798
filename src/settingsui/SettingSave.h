#pragma once
#include "resource.h"
#include "settings/Settings.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

// The "保存" page: image format and depth, buffer sizes with their memory estimates,
// thread count, thumbnail and disk cache. Type, depth and buffer sizes follow the
// controls at every change; the rest reaches the working copy when the window goes.
class CSettingSave : public ui::Dialog {
 public:
  explicit CSettingSave(const SettingPorts& ports) : Dialog(IDD_SETTING_SAVE), ports_(ports) {}

  // Working copy, filled by the Settings command before a run and read after it.
  SaveSettings save;

 protected:
  ui::MessageMap GetMessageMap() const override;
  bool OnInitDialog() override;

 private:
  void OnCbnSelChangeComboImagetype();
  void OnCbnSelChangeComboBitdepth();
  void OnEnChangeEditConvBuff();
  void OnEnChangeEditSaveBuff();
  void OnDestroy();
  void UpdateMemInfo();

  SettingPorts ports_;
};

}  // namespace lorik
