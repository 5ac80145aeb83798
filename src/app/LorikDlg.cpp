#include "app/LorikDlg.h"

#include <array>

#include "app/AboutDlg.h"
#include "app/SettingsIo.h"
#include "platform/Files.h"
#include "platform/Hotkeys.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "platform/Timers.h"
#include "platform/Trace.h"
#include "ui/DialogHost.h"

namespace lorik {

CLorikDlg::CLorikDlg(AppPorts ports, std::wstring iniPath)
    : Dialog(kTemplate), ports_(ports), iniPath_(std::move(iniPath)) {}

ui::MessageMap CLorikDlg::GetMessageMap() const {
  static constexpr std::array kMap{
      ui::MapSysCommand<&CLorikDlg::OnSysCommand>(),
      ui::MapMessage<&CLorikDlg::OnDestroy>(ui::wm::kDestroy),
      ui::MapCommand<&CLorikDlg::OnSetting>(32771),
      ui::MapTimer<&CLorikDlg::OnTimer>(),
      ui::MapHotKey<&CLorikDlg::OnHotKey>(),
  };
  return kMap;
}

ui::DynamicLayout CLorikDlg::GetDynamicLayout() const {
  static constexpr std::array<ui::LayoutItem, 3> kLayout{{
      {kProgressBar, 0, 100, 100, 0},
      {kThumbnail, 0, 0, 100, 100},
      {kMainButton, 0, 100, 0, 0},
  }};
  return kLayout;
}

bool CLorikDlg::OnInitDialog() {
  const std::wstring about = view().LoadString(kAboutString);
  if (!about.empty()) view().AppendSystemMenuItem(kAboutCommand, about);
  view().SetIcon(kIcon);

  windowRect_ = view().GetWindowRect();
  thumbnailRect_ = view().GetItemRect(kThumbnail);
  thumbnailRect_ = {0, 0, thumbnailRect_.Width(), thumbnailRect_.Height()};

  ReadSetting();

  if (!ports_.instance.TryTake() && !records_.general.allowMultipleBoot) {
    ports_.messages.Show(L"既に起動しています", kAppName, mb::kOk);
    EndDialog(ui::kIdCancel);
    return true;
  }

  // Not built yet: the progress bar's range and position, the profile
  // histories and the main button's pictures come with the main-window and
  // pipeline work.
  thumbnailShown_ = true;

  StartCaptureTimer();

  // Not built yet: targetWindow := FindTargetWindow(capture settings).

  if (records_.general.alwaysOnTop) {
    view().SetWindowPos(ui::ZOrder::Topmost, {}, ui::swp::kNoMove | ui::swp::kNoSize);
  }
  const bool desktopRetarget =
      records_.capture.captureFromDesktop && records_.capture.reTargetOnBootIfCaptureFromDesktop;
  if (desktopRetarget) {
    ports_.messages.Show(L"デスクトップキャプチャモードのため、対象ウィンドウを再指定してください",
                         kAppName, mb::kIconExclamation);
  }

  if (!ports_.files.Exists(iniPath_)) {
    ports_.messages.Show(L"設定ファイルが存在しないため、設定ウィンドウを開きます。", kAppName,
                         mb::kIconExclamation);
    OnSetting();
  } else {
    // Not built yet: CheckSetting on copies of the records, then OnSetting on
    // failure or in desktop re-target mode, otherwise ApplySetting.
  }

  // Not built yet: the save worker starts here ("Starting save thread...\n").

  ports_.trace.Write("Starting re-search timer.\n");
  researchTimer_ = view().Timers().Start(kResearchTimerId, records_.capture.searchPeriod);
  if (researchTimer_ == 0)
    ports_.messages.Show(L"再捜索用タイマの設定に失敗しました", kAppName, mb::kOk);
  return true;
}

void CLorikDlg::StartCaptureTimer() {
  const uint32_t period = records_.capture.periodBetweenEachCapture;
  if (period < 10) return;
  view().Timers().Kill(captureTimer_);
  ports_.trace.Write("Starting capture timer.\n");
  captureTimer_ = view().Timers().Start(kCaptureTimerId, period);
  if (captureTimer_ == 0) {
    ports_.messages.Show(L"キャプチャ用タイマの設定に失敗しました", kAppName, mb::kOk);
  }
}

void CLorikDlg::OnDestroy() {
  ports_.trace.Write("Stopping all timers.\n");
  view().Timers().Kill(captureTimer_);
  view().Timers().Kill(buttonTimer_);
  view().Timers().Kill(researchTimer_);
  UnregisterAllHotkeys();
  WriteSetting();
  // Not built yet: stopping the conversion workers and the save worker.
}

void CLorikDlg::UnregisterAllHotkeys() {
  view().Hotkeys().Unregister(records_.shot.singleShot.id);
  for (const MultiShotProfile& profile : records_.shot.multiShots)
    view().Hotkeys().Unregister(profile.id);
}

void CLorikDlg::LoadIni(IniFile& ini) {
  ini.Load(ports_.files, iniPath_,
           [this](std::string_view bytes) { return ports_.files.DecodeAnsi(bytes); });
}

void CLorikDlg::ReadSetting() {
  IniFile ini;
  LoadIni(ini);
  const SettingsDefaults defaults{windowRect_, thumbnailRect_, ports_.system.ProcessorCount()};
  ReadResult read = ReadSettings(ini, defaults);
  view().SetWindowPos(ui::ZOrder::Top, read.windowPlacement, 0);
  records_ = std::move(read.records);
}

void CLorikDlg::WriteSetting() {
  // Start from the file as it is now, so that sections and keys this program
  // does not write stay untouched.
  IniFile ini;
  LoadIni(ini);
  WriteSettings(ini, records_, view().GetWindowRect());
  ini.Save(ports_.files, iniPath_);
}

bool CLorikDlg::OnSysCommand(unsigned command, intptr_t) {
  if ((command & 0xFFF0) != kAboutCommand) return false;
  CAboutDlg about(ports_.system);
  ports_.dialogs.RunModal(about, view().Handle());
  return true;
}

void CLorikDlg::OnTimer(uintptr_t) {
  // Not built yet: the button timer, the tracking step and CaptureTick, the
  // re-search step and UpdateStatus.
}

void CLorikDlg::OnHotKey(int, unsigned, unsigned) {
  // Not built yet: hotkeys are registered and matched with the shot triggers.
}

void CLorikDlg::OnSetting() {
  // Not built yet: the settings dialog.
}

}  // namespace lorik
