#pragma once
#include <string>

#include "app/AppPorts.h"
#include "app/IniFile.h"
#include "app/Settings.h"
#include "core/Geometry.h"
#include "ui/Dialog.h"

namespace lorik {

// The main window: owns the settings records, the timers and the
// single-instance guard for the whole life of the process.
class CLorikDlg : public ui::Dialog {
 public:
  static constexpr int kTemplate = 102;
  static constexpr int kProgressBar = 1031;
  static constexpr int kThumbnail = 1032;
  static constexpr int kMainButton = 1073;
  static constexpr unsigned kAboutCommand = 0x10;
  static constexpr int kAboutString = 101;
  static constexpr int kIcon = 143;

  static constexpr unsigned kCaptureTimerId = 15612;
  static constexpr unsigned kButtonTimerId = 12421;
  static constexpr unsigned kResearchTimerId = 17321;

  CLorikDlg(AppPorts ports, std::wstring iniPath);

  void ReadSetting();
  void WriteSetting();

  void OnDestroy();
  bool OnSysCommand(unsigned command, intptr_t lParam);
  void OnTimer(uintptr_t timerId);
  void OnHotKey(int id, unsigned modifiers, unsigned virtualKey);
  void OnSetting();

  const SettingsRecords& Records() const { return records_; }
  unsigned CaptureTimer() const { return captureTimer_; }
  unsigned ResearchTimer() const { return researchTimer_; }

 protected:
  ui::MessageMap GetMessageMap() const override;
  ui::DynamicLayout GetDynamicLayout() const override;
  bool OnInitDialog() override;

 private:
  void LoadIni(IniFile& ini);
  void StartCaptureTimer();
  void UnregisterAllHotkeys();

  AppPorts ports_;
  std::wstring iniPath_;
  // Window rectangle before the settings are read: defaults of the window keys.
  Rect windowRect_;
  SettingsRecords records_;
  unsigned captureTimer_ = kCaptureTimerId;
  unsigned buttonTimer_ = kButtonTimerId;
  unsigned researchTimer_ = kResearchTimerId;
  bool thumbnailShown_ = false;
  // Client rectangle of the thumbnail control as created from the template.
  Rect thumbnailRect_;
  bool settingsOpen_ = false;
};

}  // namespace lorik
