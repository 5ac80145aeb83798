#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "app/AppPorts.h"
#include "app/HotkeyControl.h"
#include "app/LastShotReview.h"
#include "app/PressFeedback.h"
#include "controls/InfoProgressCtrl.h"
#include "controls/StaticBitmap.h"
#include "core/Geometry.h"
#include "grab/GrabChain.h"
#include "pipeline/CaptureClock.h"
#include "pipeline/CaptureController.h"
#include "pipeline/ConversionPool.h"
#include "pipeline/SaveWorker.h"
#include "resource.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsCheck.h"
#include "target/TargetSearch.h"
#include "target/TargetTracker.h"
#include "ui/Dialog.h"

namespace lorik {

// The main window: owns the settings records, the capture pipeline, the
// target search and tracking, the hotkeys, the timers and the single-instance
// guard for the whole life of the process.
class CLorikDlg : public ui::Dialog, private PressFeedbackPort {
 public:
  static constexpr int kTemplate = IDD_LORIK_DIALOG;
  static constexpr int kProgressBar = IDC_PROGRESS_INFO;
  static constexpr int kThumbnail = IDC_STATIC_THUMB;
  static constexpr int kMainButton = IDC_BUTTON_PHOTO;
  static constexpr int kContextMenu = IDR_MENU_CONTEXT;
  static constexpr unsigned kAboutCommand = IDM_ABOUTBOX;
  static constexpr int kAboutString = IDS_ABOUTBOX;
  static constexpr int kIcon = IDI_ICON_APP;

  static constexpr unsigned kCommandSetting = ID_MENU_SETTING;
  static constexpr unsigned kCommandExit = ID_MENU_EXIT;
  static constexpr unsigned kCommandAlwaysOnTop = ID_MENU_ALWAYS_ON_TOP;
  static constexpr unsigned kCommandThumbnail = ID_MENU_SHOW_THUMBNAIL;
  static constexpr unsigned kCommandVersion = ID_MENU_VERSION;
  static constexpr unsigned kCommandLastSavedFolder = ID_MENU_OPEN_LAST_SAVED_FOLDER;
  static constexpr unsigned kCommandSingleShotFolder = ID_MENU_OPEN_SINGLE_SHOT_FOLDER;
  static constexpr unsigned kCommandReviewLastShot = ID_MENU_REVIEW_LAST_SHOT;

  static constexpr unsigned kCaptureTimerId = 15612;
  static constexpr unsigned kButtonTimerId = 12421;
  static constexpr unsigned kResearchTimerId = 17321;
  static constexpr int32_t kDefaultSearchPeriodMs = 1000;  // "Search period" of a new file
  static constexpr unsigned kButtonPressMs = 200;
  // How long the exit waits for the workers to write the frames still queued.
  static constexpr std::chrono::milliseconds kExitSaveWait{3000};
  // How long the workers, all together, are given to end once told to stop.
  static constexpr std::chrono::milliseconds kExitStopWait{500};

  CLorikDlg(AppPorts ports, std::wstring iniPath);
  ~CLorikDlg() override;

  void ReadSetting();
  void WriteSetting();
  bool ApplySetting();
  // The end of the program's work, from WM_DESTROY or when the session ends:
  // stops the timers and hotkeys, writes the settings, gives the workers up to
  // kExitSaveWait to write the frames still queued, stops them and says how
  // many frames were not saved. Runs once; later calls do nothing.
  void Shutdown();

  const SettingsRecords& Records() const { return records_; }
  SettingsRecords& MutableRecords() { return records_; }
  unsigned CaptureTimer() const { return captureTimer_; }
  const CaptureClock& Clock() const { return clock_; }
  unsigned ResearchTimer() const { return researchTimer_; }
  bool ThumbnailShown() const { return thumbnailShown_; }
  const std::shared_ptr<PipelineState>& Pipeline() const { return pipeline_; }
  CaptureController& Capture() { return capture_; }
  const CCustomProgressCtrl& ProgressBar() const { return progress_; }
  const std::shared_ptr<CStaticBitmap>& Thumbnail() const { return thumbnail_; }
  size_t ConversionWorkers() const { return pool_.Size(); }
  const LastShotReview& Review() const { return review_; }

 protected:
  ui::MessageMap GetMessageMap() const override;
  ui::DynamicLayout GetDynamicLayout() const override;
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void OnSetting();
  // The settings dialog, opened where `focus` says after a refusal.
  void OpenSettings(CheckFocus focus);
  // The folders the settings check makes, as this program places them.
  FolderCheck Folders();
  // Shows the save failures that wait, one box at a time.
  void OnSaveReport();
  // The review window of the last shot: the menu item and the thumbnail's
  // double click, and the save worker's word that a multi shot is written.
  void OnReviewLastShot();
  void OnShotSaved();

  void OnDestroy();
  bool OnSysCommand(unsigned command, intptr_t lParam);
  void OnTimer(uintptr_t timerId);
  void OnCaptureTick();
  void CaptureStep();
  void OnHotKey(int id, unsigned modifiers, unsigned virtualKey);
  void OnGetMinMaxInfo(ui::MinMaxInfo& info);
  void OnDpiChanged(const ui::DpiChange& change);
  bool OnPaint();
  bool OnSetCursor(uintptr_t, intptr_t lParam);
  intptr_t OnQueryDragIcon(uintptr_t, intptr_t);
  void OnBnClickedButtonPhoto();
  void OnProgressBarClick();
  bool OnMultiShotFolderItem(unsigned command);
  void OpenLastSavedFolder();
  void OpenSingleShotFolder();
  void OpenMultiShotFolder(size_t index);
  void ShowContextMenu(Point client);
  void UpdateStatus();
  void OnAlwaysOnTop();
  void OnThumbnail();
  void OnVersion();
  void OnExit();
  intptr_t OnQueryEndSession(uintptr_t, intptr_t);
  void OnEndSession(uintptr_t ending, intptr_t);

  void PressFeedback(ButtonSet set) override;
  // False when the file exists but cannot be read whole, or not without loss.
  bool LoadIni(IniFile& ini);
  // Paces the capture with the clock's thread, or with the window's timer
  // where the thread cannot run. Start-up announces the start in the trace
  // and reports a failure with a plain box; applying the settings reports it
  // with the error icon.
  void StartCaptureTimer(bool atStartUp);
  void ApplyThumbnailArea();
  void OpenFolder(const std::wstring& folder);
  bool ConfirmExit();
  void ShowNormalButtonPicture(const char* unknownTypeTrace);

  AppPorts ports_;
  std::wstring iniPath_;
  // Window rectangle before the settings are read: defaults of the window keys
  // and the smallest size the user can drag the window to.
  Rect windowRect_;
  // The DPI that windowRect_ and thumbnailRect_ were measured at.
  int dpi_ = ui::kBaseDpi;
  SettingsRecords records_;
  unsigned captureTimer_ = kCaptureTimerId;
  unsigned buttonTimer_ = kButtonTimerId;
  unsigned researchTimer_ = kResearchTimerId;
  bool thumbnailShown_ = false;
  // Client rectangle of the thumbnail control as created from the template.
  Rect thumbnailRect_;
  bool settingsOpen_ = false;
  bool statusPainted_ = false;
  bool shutDown_ = false;

  CCustomProgressCtrl progress_;
  // Shared with the save worker, which hands it each saved picture.
  std::shared_ptr<CStaticBitmap> thumbnail_;
  std::shared_ptr<PipelineState> pipeline_;
  // The capture tick's grab; area recognition reads the window as it is.
  GrabChain grabChain_;
  CaptureController capture_;
  ConversionPool pool_;
  SaveWorker saver_;
  CaptureClock clock_;
  TargetSearch search_;
  TargetTracker tracker_;
  CaptureControllerTriggers triggers_;
  LastShotReview review_;
  // Needs the window's timers and hotkeys, so it exists from WM_INITDIALOG on.
  std::optional<HotkeyControl> hotkeys_;
};

}  // namespace lorik
