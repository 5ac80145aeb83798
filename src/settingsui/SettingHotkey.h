#pragma once
#include <cstdint>
#include <vector>

#include "resource.h"
#include "settings/Settings.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

// Placeholder of the hotkey page until it is built: an empty page on its template that
// carries its working copy through the dialog unchanged.
class CSettingHotkey : public ui::Dialog {
 public:
  explicit CSettingHotkey(const SettingPorts& ports) : Dialog(IDD_SETTING_HOTKEY), ports_(ports) {}

  // Working copy, filled by the Settings command before a run and read after it.
  MultiShotProfile singleShot;
  std::vector<MultiShotProfile> multiShots;
  int32_t profileCount = 0;  // "Maximum multi shot no"

 private:
  SettingPorts ports_;
};

}  // namespace lorik
