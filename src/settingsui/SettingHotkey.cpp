#include "settingsui/SettingHotkey.h"

#include <algorithm>

#include "core/ImageType.h"
#include "core/Text.h"
#include "pipeline/FileNaming.h"
#include "platform/Clock.h"
#include "platform/KeyNames.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "settings/SaveFolder.h"
#include "settingsui/MetaHelp.h"
#include "ui/DialogHost.h"

namespace lorik {
namespace {

// Modifier flags of the platform's hotkey registration.
constexpr uint16_t kModAlt = 0x1;
constexpr uint16_t kModControl = 0x2;
constexpr uint16_t kModShift = 0x4;

constexpr unsigned kVkShift = 0x10;
constexpr unsigned kVkControl = 0x11;
constexpr unsigned kVkMenu = 0x12;

// The multi-shot fields, disabled when there is no profile to show in them.
constexpr int kMultiShotControls[] = {
    IDC_COMBO_MULTI_PROFILE, IDC_HOTKEY_MULTI,      IDC_BUTTON_MULTI_CHANGE,  IDC_EDIT_MULTI_FOLDER,
    IDC_BUTTON_MULTI_BROWSE, IDC_EDIT_MULTI_FORMAT, IDC_BUTTON_MULTI_PREVIEW, IDC_EDIT_BEFORE,
    IDC_EDIT_AFTER,          IDC_EDIT_SAVE_SPEED,
};

}  // namespace

CSettingHotkey::CSettingHotkey(const SettingPorts& ports)
    : Dialog(IDD_SETTING_HOTKEY), ports_(ports) {}

// The list outlives the page only on hosts that do not destroy owned windows with
// their owner; it must not reach back into a page that is gone.
CSettingHotkey::~CSettingHotkey() {
  if (helpWindow_ != nullptr) helpWindow_->ForgetOwner();
}

ui::MessageMap CSettingHotkey::GetMessageMap() const {
  using Self = CSettingHotkey;
  static constexpr ui::MapEntry kMap[] = {
      ui::MapCommand<&Self::OnBnClickedButtonSingleChange>(IDC_BUTTON_SINGLE_CHANGE),
      ui::MapCommand<&Self::OnBnClickedButtonMultiChange>(IDC_BUTTON_MULTI_CHANGE),
      ui::MapCommand<&Self::OnBnClickedButtonSingleBrowse>(IDC_BUTTON_SINGLE_BROWSE),
      ui::MapCommand<&Self::OnBnClickedButtonMultiBrowse>(IDC_BUTTON_MULTI_BROWSE),
      ui::MapCommand<&Self::OnBnClickedButtonSinglePreview>(IDC_BUTTON_SINGLE_PREVIEW),
      ui::MapCommand<&Self::OnBnClickedButtonMultiPreview>(IDC_BUTTON_MULTI_PREVIEW),
      ui::MapCommand<&Self::OnCbnSelChangeComboMultiProfile>(IDC_COMBO_MULTI_PROFILE,
                                                             ui::kCbnSelChange),
      ui::MapCommand<&Self::OnBnClickedButtonMetaList>(IDC_BUTTON_META_LIST),
      ui::MapMessage<&Self::OnDestroy>(ui::wm::kDestroy),
  };
  return kMap;
}

std::wstring CSettingHotkey::ProfileLabel(const wchar_t* prefix, int index, int count) {
  const int width = std::max(2, static_cast<int>(DecimalText(count).size()));
  return prefix + PaddedDecimal(index + 1, width);
}

int32_t CSettingHotkey::UsableProfiles() const {
  return std::clamp<int32_t>(profileCount, 0, static_cast<int32_t>(multiShots.size()));
}

MultiShotProfile* CSettingHotkey::Current() {
  if (currentProfile_ < 0 || currentProfile_ >= UsableProfiles()) return nullptr;
  return &multiShots[static_cast<size_t>(currentProfile_)];
}

bool CSettingHotkey::OnInitDialog() {
  SetControlFromProfile(IDC_HOTKEY_SINGLE, singleShot);
  TakeHotkeyFromControl(IDC_HOTKEY_SINGLE, singleShot);
  view().SetItemText(IDC_EDIT_SINGLE_HOTKEY, singleShot.hotkeyText);
  view().SetItemText(IDC_EDIT_SINGLE_FOLDER, singleShot.folder);
  view().SetItemText(IDC_EDIT_SINGLE_FORMAT, singleShot.format);
  // An empty folder saves into the default one; the fields say where.
  view().SetEditCue(IDC_EDIT_SINGLE_FOLDER, ports_.defaultFolder);
  view().SetEditCue(IDC_EDIT_MULTI_FOLDER, ports_.defaultFolder);

  const int32_t count = UsableProfiles();
  for (int32_t i = 0; i < count; ++i) {
    view().AddComboString(IDC_COMBO_MULTI_PROFILE, ProfileLabel(L"マルチショット", i, count));
  }
  if (count == 0) {
    // Nothing to show or edit: the group stays empty and disabled.
    for (int id : kMultiShotControls) view().EnableItem(id, false);
    return true;
  }
  if (currentProfile_ < 0 || currentProfile_ >= count) currentProfile_ = 0;
  view().SetComboSelection(IDC_COMBO_MULTI_PROFILE, currentProfile_);
  LoadMultiShotProfile();
  return true;
}

void CSettingHotkey::SetControlFromProfile(int controlId, const MultiShotProfile& profile) {
  uint8_t flags = 0;
  if ((profile.modifier & kModAlt) != 0) flags |= ui::hotkeyf::kAlt;
  if ((profile.modifier & kModControl) != 0) flags |= ui::hotkeyf::kControl;
  if ((profile.modifier & kModShift) != 0) flags |= ui::hotkeyf::kShift;
  view().SetHotkey(controlId, static_cast<uint16_t>(flags << 8 | (profile.virtualKey & 0xFF)));
}

std::wstring CSettingHotkey::HotkeyName(uint16_t keyAndFlags) {
  if (keyAndFlags == 0) return {};
  const unsigned key = keyAndFlags & 0xFF;
  const unsigned flags = keyAndFlags >> 8;
  std::wstring name;
  if ((flags & ui::hotkeyf::kControl) != 0)
    name += ports_.keyNames.KeyName(kVkControl, false) + L" + ";
  if ((flags & ui::hotkeyf::kShift) != 0) name += ports_.keyNames.KeyName(kVkShift, false) + L" + ";
  if ((flags & ui::hotkeyf::kAlt) != 0) name += ports_.keyNames.KeyName(kVkMenu, false) + L" + ";
  return name + ports_.keyNames.KeyName(key, (flags & ui::hotkeyf::kExt) != 0);
}

void CSettingHotkey::TakeHotkeyFromControl(int controlId, MultiShotProfile& profile) {
  const uint16_t value = view().GetHotkey(controlId);
  const unsigned flags = value >> 8;
  profile.virtualKey = static_cast<uint16_t>(value & 0xFF);
  profile.hotkeyText = HotkeyName(value);
  uint16_t modifier = 0;
  if ((flags & ui::hotkeyf::kAlt) != 0) modifier |= kModAlt;
  if ((flags & ui::hotkeyf::kControl) != 0) modifier |= kModControl;
  if ((flags & ui::hotkeyf::kShift) != 0) modifier |= kModShift;
  profile.modifier = modifier;
  view().SetHotkey(controlId, 0);
}

void CSettingHotkey::LoadMultiShotProfile() {
  MultiShotProfile* profile = Current();
  if (profile == nullptr) return;
  SetControlFromProfile(IDC_HOTKEY_MULTI, *profile);
  TakeHotkeyFromControl(IDC_HOTKEY_MULTI, *profile);
  view().SetItemText(IDC_EDIT_MULTI_HOTKEY, profile->hotkeyText);
  view().SetItemText(IDC_EDIT_MULTI_FOLDER, profile->folder);
  view().SetItemText(IDC_EDIT_MULTI_FORMAT, profile->format);
  view().SetItemText(IDC_EDIT_BEFORE, DecimalText(profile->numberOfSavedImageBeforeHotkey));
  view().SetItemText(IDC_EDIT_AFTER, DecimalText(profile->numberOfSavedImageAfterHotkey));
  view().SetItemText(
      IDC_EDIT_SAVE_SPEED,
      DecimalText(static_cast<long long>(profile->numberOfCaptureSkippedAfterSave) + 1));
}

void CSettingHotkey::StoreMultiShotProfile() {
  MultiShotProfile* profile = Current();
  if (profile == nullptr) return;
  profile->folder = view().GetItemText(IDC_EDIT_MULTI_FOLDER);
  profile->format = view().GetItemText(IDC_EDIT_MULTI_FORMAT);
  profile->numberOfSavedImageBeforeHotkey = DecimalValue(view().GetItemText(IDC_EDIT_BEFORE));
  profile->numberOfSavedImageAfterHotkey = DecimalValue(view().GetItemText(IDC_EDIT_AFTER));
  const long long skip =
      static_cast<long long>(DecimalValue(view().GetItemText(IDC_EDIT_SAVE_SPEED))) - 1;
  profile->numberOfCaptureSkippedAfterSave = static_cast<int32_t>(std::max(skip, 0LL));
}

void CSettingHotkey::OnBnClickedButtonSingleChange() {
  TakeHotkeyFromControl(IDC_HOTKEY_SINGLE, singleShot);
  view().SetItemText(IDC_EDIT_SINGLE_HOTKEY, singleShot.hotkeyText);
}

void CSettingHotkey::OnBnClickedButtonMultiChange() {
  MultiShotProfile* profile = Current();
  if (profile == nullptr) return;
  TakeHotkeyFromControl(IDC_HOTKEY_MULTI, *profile);
  view().SetItemText(IDC_EDIT_MULTI_HOTKEY, profile->hotkeyText);
}

void CSettingHotkey::OnBnClickedButtonSingleBrowse() {
  BrowseFolder(IDC_EDIT_SINGLE_FOLDER);
}

void CSettingHotkey::OnBnClickedButtonMultiBrowse() {
  BrowseFolder(IDC_EDIT_MULTI_FOLDER);
}

void CSettingHotkey::OnBnClickedButtonSinglePreview() {
  PreviewPattern(IDC_EDIT_SINGLE_FOLDER, IDC_EDIT_SINGLE_FORMAT);
}

void CSettingHotkey::OnBnClickedButtonMultiPreview() {
  PreviewPattern(IDC_EDIT_MULTI_FOLDER, IDC_EDIT_MULTI_FORMAT);
}

void CSettingHotkey::OnCbnSelChangeComboMultiProfile() {
  StoreMultiShotProfile();
  currentProfile_ = view().GetComboSelection(IDC_COMBO_MULTI_PROFILE);
  LoadMultiShotProfile();
}

void CSettingHotkey::BrowseFolder(int editId) {
  if (std::optional<std::wstring> folder = ports_.shell.PickFolder()) {
    view().SetEditTextSelected(editId, *folder);
  }
}

// The full path a shot taken now would get, in the folder it would really go
// to. The current time stands for both the capture and the start of a multi
// shot, so the s-forms show the same moment as the plain ones.
void CSettingHotkey::PreviewPattern(int folderId, int formatId) {
  ImageNameSource source;
  source.folder = EffectiveFolder(view().GetItemText(folderId), ports_.defaultFolder);
  source.pattern = view().GetItemText(formatId);
  source.captureTime = ports_.clock.LocalTime();
  source.startTime = source.captureTime;
  source.imageType =
      previewImageType != nullptr ? *previewImageType : static_cast<int32_t>(ImageType::Png);
  source.currentDirectory = ports_.shell.CurrentDirectory();
  // A refused or too long path is shown as it is: that is what the user must fix.
  ports_.messages.Show(CreateImageFilename(source, ports_.trace).path, L"", mb::kOk);
}

void CSettingHotkey::OnBnClickedButtonMetaList() {
  if (helpWindow_ != nullptr) {
    if (ui::DialogView* help = helpWindow_->View()) help->Raise();
    return;
  }
  auto* help = new CMetaHelp(ports_, *this);
  const auto life = help->LifeToken();
  if (!ports_.dialogs.CreateModeless(*help, view().Handle())) {
    // A window that went away again has deleted the list already.
    if (!life.expired()) delete help;
    return;
  }
  helpWindow_ = help;
  help->View()->Show(true);
}

void CSettingHotkey::OnDestroy() {
  singleShot.folder = view().GetItemText(IDC_EDIT_SINGLE_FOLDER);
  singleShot.format = view().GetItemText(IDC_EDIT_SINGLE_FORMAT);
  StoreMultiShotProfile();
}

}  // namespace lorik
