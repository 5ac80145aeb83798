#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "resource.h"
#include "settings/Settings.h"
#include "settingsui/SettingPorts.h"
#include "ui/Dialog.h"

namespace lorik {

class CMetaHelp;

// The "ホットキー" page: hotkey, folder and pattern of the single shot and of one
// multi-shot profile at a time, chosen in a selector, with folder picking, pattern
// preview and the meta-character list. A hotkey typed into an input control counts
// only once its "変更" button commits it.
class CSettingHotkey : public ui::Dialog {
 public:
  explicit CSettingHotkey(const SettingPorts& ports);
  ~CSettingHotkey() override;

  // Working copy, filled by the Settings command before a run and read after it.
  MultiShotProfile singleShot;
  std::vector<MultiShotProfile> multiShots;
  int32_t profileCount = 0;  // "Maximum multi shot no"
  // The image type the save page shows, for the extension in the preview;
  // null: png, the default.
  const int32_t* previewImageType = nullptr;

  // The profile the multi-shot fields show; kept across runs of the dialog.
  int32_t CurrentProfile() const { return currentProfile_; }
  // The profile (0-based) the page shows when its window is next made.
  void SelectProfile(int32_t index) { currentProfile_ = index; }
  // The open meta-character list, nullptr when none is open.
  CMetaHelp* HelpWindow() const { return helpWindow_; }
  // Called by the list when its window is gone.
  void OnHelpWindowGone() { helpWindow_ = nullptr; }

  // Label of selector entry `index` (0-based) among `count` entries: "マルチショット%02d"
  // of index + 1, with as many digits as the largest number needs, so that the sorted
  // selector keeps the profile order beyond 99 profiles too.
  static std::wstring ProfileLabel(const wchar_t* prefix, int index, int count);

 protected:
  ui::MessageMap GetMessageMap() const override;
  bool OnInitDialog() override;

 private:
  void OnBnClickedButtonSingleChange();
  void OnBnClickedButtonMultiChange();
  void OnBnClickedButtonSingleBrowse();
  void OnBnClickedButtonMultiBrowse();
  void OnBnClickedButtonSinglePreview();
  void OnBnClickedButtonMultiPreview();
  void OnCbnSelChangeComboMultiProfile();
  void OnBnClickedButtonMetaList();
  void OnDestroy();

  // Profiles the page may touch: those the selector offers and the list holds.
  int32_t UsableProfiles() const;
  MultiShotProfile* Current();
  void SetControlFromProfile(int controlId, const MultiShotProfile& profile);
  void TakeHotkeyFromControl(int controlId, MultiShotProfile& profile);
  std::wstring HotkeyName(uint16_t keyAndFlags);
  void LoadMultiShotProfile();
  void StoreMultiShotProfile();
  void BrowseFolder(int editId);
  void PreviewPattern(int folderId, int formatId);

  SettingPorts ports_;
  int32_t currentProfile_ = 0;
  CMetaHelp* helpWindow_ = nullptr;
};

}  // namespace lorik
