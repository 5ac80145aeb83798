#pragma once
#include "fakes/FakeDialogHost.h"
#include "resource.h"

namespace lorik {

// The settings dialog's templates as FakeDialogHost windows: the host with its
// tab control and buttons, the capture page with all its controls, and the
// other pages as empty child dialogs. The pages are 422 by 270 pixels.
inline void AddSettingTemplates(ui::FakeDialogHost& host) {
  host.OnCreate(IDD_SETTING, [](ui::FakeDialogView& v) {
    v.clientRect = {0, 0, 446, 341};
    v.AddControl(IDC_TAB_SETTING);
    v.AddControl(ui::kIdOk);
    v.AddControl(ui::kIdCancel);
  });
  host.OnCreate(IDD_SETTING_CAPTURE, [](ui::FakeDialogView& v) {
    v.clientRect = {0, 0, 422, 270};
    for (int id :
         {IDC_EDIT_TITLE, IDC_BUTTON_DRAG, IDC_EDIT_STATUS, IDC_EDIT_AREA_X, IDC_EDIT_AREA_Y,
          IDC_EDIT_AREA_WIDTH, IDC_EDIT_AREA_HEIGHT, IDC_BUTTON_AUTO_RECOGNIZE, IDC_EDIT_PERIOD}) {
      v.AddControl(id);
    }
    for (int id :
         {IDC_CHECK_DESKTOP, IDC_CHECK_RESEARCH, IDC_CHECK_LOST_DIALOG, IDC_CHECK_RETARGET}) {
      v.AddControl(id).autoCheck = true;
    }
  });
  for (int page : {IDD_SETTING_HOTKEY, IDD_SETTING_SAVE, IDD_SETTING_MISC}) {
    host.OnCreate(page, [](ui::FakeDialogView& v) { v.clientRect = {0, 0, 422, 270}; });
  }
}

}  // namespace lorik
