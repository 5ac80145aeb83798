#pragma once
#include "resource.h"
#include "settings/Settings.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

// The "その他" page: what the main button does, with the profile or folder it uses, and
// the five switches. Everything reaches the working copy when the window goes.
class CSettingMisc : public ui::Dialog {
 public:
  explicit CSettingMisc(const SettingPorts& ports) : Dialog(IDD_SETTING_MISC), ports_(ports) {}

  // Working copy, filled by the Settings command before a run and read after it.
  GeneralSettings general;

 protected:
  ui::MessageMap GetMessageMap() const override;
  bool OnInitDialog() override;

 private:
  void OnBnClickedRadioSingleOrLastSaved();
  void OnBnClickedRadioMultiShot();
  void OnBnClickedRadioSaveFolder();
  void OnDestroy();
  void EnableLists(bool multiShotList, bool folderList);

  SettingPorts ports_;
};

}  // namespace lorik
