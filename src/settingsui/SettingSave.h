#pragma once
#include <cstdint>
#include <vector>

#include "resource.h"
#include "settings/Settings.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

// Placeholder of the save page until it is built: an empty page on its template that
// carries its working copy through the dialog unchanged.
class CSettingSave : public ui::Dialog {
 public:
  explicit CSettingSave(const SettingPorts& ports) : Dialog(IDD_SETTING_SAVE), ports_(ports) {}

  // Working copy, filled by the Settings command before a run and read after it.
  SaveSettings save;

 private:
  SettingPorts ports_;
};

}  // namespace lorik
