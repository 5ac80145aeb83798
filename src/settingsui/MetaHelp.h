#pragma once
#include "core/Geometry.h"
#include "resource.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

class CSettingHotkey;

// The modeless list of the meta-characters that file-name patterns may contain, with a
// description and an example of each. It lives on the heap from the hotkey page's
// button until its window is gone, then tells the page and deletes itself.
class CMetaHelp : public ui::Dialog {
 public:
  CMetaHelp(const SettingPorts& ports, CSettingHotkey& owner);

  // The page is going away before the window; nobody is told when the window goes.
  void ForgetOwner() { owner_ = nullptr; }

  ui::DynamicLayout GetDynamicLayout() const override;

 protected:
  ui::MessageMap GetMessageMap() const override;
  bool OnInitDialog() override;
  // Enter leaves the list open; Esc and the close box destroy it as Cancel does.
  void OnOK() override {}

 private:
  void OnGetMinMaxInfo(ui::MinMaxInfo& info);
  void OnDpiChanged(const ui::DpiChange& change);
  void OnNcDestroy();
  void FillList();
  void SizeColumns();

  SettingPorts ports_;
  CSettingHotkey* owner_;
  Rect initialWindowRect_;
  int dpi_ = ui::kBaseDpi;  // that initialWindowRect_ was measured at
};

}  // namespace lorik
