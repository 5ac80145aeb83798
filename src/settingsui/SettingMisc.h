#pragma once
#include <cstdint>
#include <vector>

#include "resource.h"
#include "settings/Settings.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

// Placeholder of the other page until it is built: an empty page on its template that
// carries its working copy through the dialog unchanged.
class CSettingMisc : public ui::Dialog {
 public:
  explicit CSettingMisc(const SettingPorts& ports) : Dialog(IDD_SETTING_MISC), ports_(ports) {}

  // Working copy, filled by the Settings command before a run and read after it.
  GeneralSettings general;

 private:
  SettingPorts ports_;
};

}  // namespace lorik
