#pragma once
#include <utility>

#include "fakes/FakeDialogHost.h"
#include "resource.h"

namespace lorik {

// The save page's template as far as the page uses it.
inline void SaveTemplate(ui::FakeDialogView& v) {
  v.AddControl(IDC_COMBO_IMAGETYPE);
  v.AddControl(IDC_COMBO_BITDEPTH);
  for (int id : {IDC_EDIT_CONV_BUFF, IDC_EDIT_SAVE_BUFF, IDC_EDIT_CONV_MEMORY, IDC_EDIT_SAVE_MEMORY,
                 IDC_EDIT_THREAD_NUMBER}) {
    ui::FakeControl edit;
    edit.edit = true;
    v.AddControl(id, edit);
  }
  for (int id : {IDC_CHECK_PREVIEW, IDC_CHECK_DISK_CACHE}) {
    ui::FakeControl box;
    box.autoCheck = true;
    v.AddControl(id, box);
  }
}

// The hotkey page's template as far as the page uses it.
inline void HotkeyTemplate(ui::FakeDialogView& v) {
  for (int id : {IDC_EDIT_SINGLE_HOTKEY, IDC_EDIT_MULTI_HOTKEY, IDC_EDIT_SINGLE_FOLDER,
                 IDC_EDIT_MULTI_FOLDER, IDC_EDIT_SINGLE_FORMAT, IDC_EDIT_MULTI_FORMAT,
                 IDC_EDIT_BEFORE, IDC_EDIT_AFTER, IDC_EDIT_SAVE_SPEED}) {
    ui::FakeControl edit;
    edit.edit = true;
    v.AddControl(id, edit);
  }
  for (int id : {IDC_HOTKEY_SINGLE, IDC_HOTKEY_MULTI, IDC_BUTTON_SINGLE_CHANGE,
                 IDC_BUTTON_MULTI_CHANGE, IDC_BUTTON_SINGLE_BROWSE, IDC_BUTTON_MULTI_BROWSE,
                 IDC_BUTTON_SINGLE_PREVIEW, IDC_BUTTON_MULTI_PREVIEW, IDC_BUTTON_META_LIST}) {
    v.AddControl(id);
  }
  ui::FakeControl selector;
  selector.sorted = true;
  v.AddControl(IDC_COMBO_MULTI_PROFILE, selector);
}

inline constexpr int kRadios[] = {IDC_RADIO_SINGLE_SHOT, IDC_RADIO_MULTI_SHOT, IDC_RADIO_LAST_SAVED,
                                  IDC_RADIO_SAVE_FOLDER};
inline constexpr int kBoxes[] = {IDC_CHECK_ALWAYS_ON_TOP,  IDC_CHECK_CHECK_ON_EXIT,
                                 IDC_CHECK_SAVE_BUFF_INFO, IDC_CHECK_MULTIPLE_BOOT,
                                 IDC_CHECK_SUPPRESS_ERROR, IDC_CHECK_REVIEW_AFTER_MULTI_SHOT};

// The other page's template as far as the page uses it.
inline void MiscTemplate(ui::FakeDialogView& v) {
  for (int id : kRadios) v.AddControl(id);
  for (int id : kBoxes) {
    ui::FakeControl box;
    box.autoCheck = true;
    v.AddControl(id, box);
  }
  for (int id : {IDC_COMBO_MULTI_SHOT_NO, IDC_COMBO_FOLDER_NO}) {
    ui::FakeControl list;
    list.sorted = true;
    v.AddControl(id, list);
  }
}

// The settings dialog's templates as FakeDialogHost windows: the host with its
// tab control and buttons and the four pages with their controls. The pages
// are 422 by 270 pixels; the tab's display area is a little larger.
inline constexpr Rect kFakeTabDisplay{16, 35, 440, 306};

inline void AddSettingTemplates(ui::FakeDialogHost& host) {
  host.OnCreate(IDD_SETTING, [](ui::FakeDialogView& v) {
    v.clientRect = {0, 0, 456, 351};
    ui::FakeControl tab;
    tab.rect = {11, 11, 445, 310};
    tab.tabDisplay = kFakeTabDisplay;
    v.AddControl(IDC_TAB_SETTING, tab);
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
  using Template = void (*)(ui::FakeDialogView&);
  const std::pair<int, Template> pages[] = {{IDD_SETTING_HOTKEY, HotkeyTemplate},
                                            {IDD_SETTING_SAVE, SaveTemplate},
                                            {IDD_SETTING_MISC, MiscTemplate}};
  for (const auto& [page, controls] : pages) {
    host.OnCreate(page, [controls](ui::FakeDialogView& v) {
      v.clientRect = {0, 0, 422, 270};
      controls(v);
    });
  }
}

}  // namespace lorik
