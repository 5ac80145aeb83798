#include "settingsui/SettingMisc.h"

#include <algorithm>

#include "platform/Trace.h"
#include "settingsui/SettingHotkey.h"

namespace lorik {
namespace {

struct Switch {
  int id;
  bool GeneralSettings::*field;
};

constexpr Switch kSwitches[] = {
    {IDC_CHECK_ALWAYS_ON_TOP, &GeneralSettings::alwaysOnTop},
    {IDC_CHECK_CHECK_ON_EXIT, &GeneralSettings::checkOnExit},
    {IDC_CHECK_SAVE_BUFF_INFO, &GeneralSettings::showSaveBufferInfo},
    {IDC_CHECK_MULTIPLE_BOOT, &GeneralSettings::allowMultipleBoot},
    {IDC_CHECK_SUPPRESS_ERROR, &GeneralSettings::supressErrorDialog},
    {IDC_CHECK_REVIEW_AFTER_MULTI_SHOT, &GeneralSettings::reviewAfterMultiShot},
};

// Radio button of each "Main button setting", in value order.
constexpr int kRadios[] = {IDC_RADIO_SINGLE_SHOT, IDC_RADIO_MULTI_SHOT, IDC_RADIO_LAST_SAVED,
                           IDC_RADIO_SAVE_FOLDER};

}  // namespace

ui::MessageMap CSettingMisc::GetMessageMap() const {
  using Self = CSettingMisc;
  static constexpr ui::MapEntry kMap[] = {
      ui::MapCommand<&Self::OnBnClickedRadioSingleOrLastSaved>(IDC_RADIO_SINGLE_SHOT),
      ui::MapCommand<&Self::OnBnClickedRadioMultiShot>(IDC_RADIO_MULTI_SHOT),
      ui::MapCommand<&Self::OnBnClickedRadioSingleOrLastSaved>(IDC_RADIO_LAST_SAVED),
      ui::MapCommand<&Self::OnBnClickedRadioSaveFolder>(IDC_RADIO_SAVE_FOLDER),
      ui::MapMessage<&Self::OnDestroy>(ui::wm::kDestroy),
  };
  return kMap;
}

bool CSettingMisc::OnInitDialog() {
  for (const Switch& s : kSwitches) view().SetCheck(s.id, general.*s.field);

  EnableLists(false, false);
  switch (general.shotButtonType) {
    case 0:
      view().SetCheck(IDC_RADIO_SINGLE_SHOT, true);
      break;
    case 1:
      view().SetCheck(IDC_RADIO_MULTI_SHOT, true);
      view().EnableItem(IDC_COMBO_MULTI_SHOT_NO, true);
      break;
    case 2:
      view().SetCheck(IDC_RADIO_LAST_SAVED, true);
      break;
    case 3:
      view().SetCheck(IDC_RADIO_SAVE_FOLDER, true);
      view().EnableItem(IDC_COMBO_FOLDER_NO, true);
      break;
    default:
      ports_.trace.Write("Unknown value given to shotButtonType\n");
      break;
  }

  // Stored indices beyond the profiles come back as the last entry; a negative one
  // (and any index with no profiles) selects nothing and comes back as -1.
  const int32_t count = std::max<int32_t>(general.maximumMultiShotNo, 0);
  for (int32_t i = 0; i < count; ++i) {
    view().AddComboString(IDC_COMBO_MULTI_SHOT_NO,
                          CSettingHotkey::ProfileLabel(L"マルチ", i, count));
  }
  general.mainButtonMultiShotNo = std::min(general.mainButtonMultiShotNo, count - 1);
  view().SetComboSelection(IDC_COMBO_MULTI_SHOT_NO, general.mainButtonMultiShotNo);

  view().AddComboString(IDC_COMBO_FOLDER_NO, L"シングル");
  for (int32_t i = 0; i < count; ++i) {
    view().AddComboString(IDC_COMBO_FOLDER_NO, CSettingHotkey::ProfileLabel(L"マルチ", i, count));
  }
  general.mainButtonShowFolderNo = std::min(general.mainButtonShowFolderNo, count);
  view().SetComboSelection(IDC_COMBO_FOLDER_NO, general.mainButtonShowFolderNo);
  return true;
}

void CSettingMisc::EnableLists(bool multiShotList, bool folderList) {
  view().EnableItem(IDC_COMBO_MULTI_SHOT_NO, multiShotList);
  view().EnableItem(IDC_COMBO_FOLDER_NO, folderList);
}

void CSettingMisc::OnBnClickedRadioSingleOrLastSaved() {
  EnableLists(false, false);
}

void CSettingMisc::OnBnClickedRadioMultiShot() {
  EnableLists(true, false);
}

void CSettingMisc::OnBnClickedRadioSaveFolder() {
  EnableLists(false, true);
}

void CSettingMisc::OnDestroy() {
  for (const Switch& s : kSwitches) general.*s.field = view().GetCheck(s.id);
  for (int value = 0; value < static_cast<int>(std::size(kRadios)); ++value) {
    if (view().GetCheck(kRadios[value])) general.shotButtonType = value;
  }
  general.mainButtonMultiShotNo = view().GetComboSelection(IDC_COMBO_MULTI_SHOT_NO);
  general.mainButtonShowFolderNo = view().GetComboSelection(IDC_COMBO_FOLDER_NO);
}

}  // namespace lorik
