#include "app/LorikDlg.h"

#include <algorithm>
#include <array>

#include "app/AboutDlg.h"
#include "controls/ControlBinder.h"
#include "core/Text.h"
#include "platform/Files.h"
#include "platform/Hotkeys.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Timers.h"
#include "platform/Trace.h"
#include "platform/WindowSystem.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsIo.h"
#include "target/AreaRecognition.h"
#include "ui/DialogHost.h"

namespace lorik {
namespace {

constexpr uint32_t kSetCursor = 0x0020;

// Normal and pressed pictures of the main button's sets.
struct ButtonPictures {
  int normal;
  int pressed;
};
constexpr ButtonPictures kPictures[] = {
    {IDB_SINGLE_NORMAL, IDB_SINGLE_PRESSED},
    {IDB_MULTI_NORMAL, IDB_MULTI_PRESSED},
    {IDB_FOLDER_NORMAL, IDB_FOLDER_PRESSED},
};

// The set of a main-button setting: 0 single shot, 1 multi shot, 2 and 3 folder.
std::optional<ButtonSet> SetOfButtonType(int32_t type) {
  switch (type) {
    case 0:
      return ButtonSet::SingleShot;
    case 1:
      return ButtonSet::MultiShot;
    case 2:
    case 3:
      return ButtonSet::Folder;
    default:
      return std::nullopt;
  }
}

PipelinePorts WithThumbnail(PipelinePorts ports, std::shared_ptr<ThumbnailSink> thumbnail) {
  ports.thumbnail = std::move(thumbnail);
  return ports;
}

}  // namespace

CLorikDlg::CLorikDlg(AppPorts ports, std::wstring iniPath)
    : Dialog(kTemplate),
      ports_(ports),
      iniPath_(std::move(iniPath)),
      thumbnail_(std::make_shared<CStaticBitmap>()),
      pipeline_(std::make_shared<PipelineState>(WithThumbnail(ports.pipeline, thumbnail_))),
      capture_(pipeline_, ports.grab, ports.clock, ports.messages, *this, records_.shot,
               records_.capture, records_.save, records_.general),
      pool_(pipeline_),
      saver_(pipeline_),
      search_(ports.windows, ports.processes, ports.messages, ports.trace),
      tracker_(
          records_.capture, ports.windows, ports.messages,
          [this](CaptureSettings description) { return search_.FindTargetWindow(description); },
          [this](CaptureSettings& capture) {
            return RecognizeCaptureArea(capture, ports_.windows, ports_.grab, ports_.messages);
          }),
      triggers_(capture_) {}

CLorikDlg::~CLorikDlg() = default;

ui::MessageMap CLorikDlg::GetMessageMap() const {
  static constexpr std::array kMap{
      ui::MapSysCommand<&CLorikDlg::OnSysCommand>(),
      ui::MapRaw<&CLorikDlg::OnQueryDragIcon>(ui::wm::kQueryDragIcon),
      ui::MapMessage<&CLorikDlg::OnDestroy>(ui::wm::kDestroy),
      ui::MapGetMinMaxInfo<&CLorikDlg::OnGetMinMaxInfo>(),
      ui::MapCommand<&CLorikDlg::OnSetting>(kCommandSetting),
      ui::MapCommand<&CLorikDlg::OnExit>(kCommandExit),
      ui::MapTimer<&CLorikDlg::OnTimer>(),
      ui::MapHotKey<&CLorikDlg::OnHotKey>(),
      ui::MapCommand<&CLorikDlg::OnAlwaysOnTop>(kCommandAlwaysOnTop),
      ui::MapCommand<&CLorikDlg::OnBnClickedButtonPhoto>(kMainButton, 0),
      ui::MapCommand<&CLorikDlg::OpenSingleShotFolder>(kCommandSingleShotFolder),
      ui::MapCommand<&CLorikDlg::OpenLastSavedFolder>(kCommandLastSavedFolder),
      ui::MapCommand<&CLorikDlg::OnThumbnail>(kCommandThumbnail),
      ui::MapCommand<&CLorikDlg::OnVersion>(kCommandVersion),
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

bool CLorikDlg::WindowProc(const ui::Message& message, intptr_t& result) {
  // Controls pass WM_SETCURSOR on to their parent, so this sees a right click
  // anywhere in the window.
  if (message.msg == kSetCursor &&
      ui::HighWord(static_cast<uintptr_t>(message.lParam)) == ui::wm::kRButtonUp &&
      !settingsOpen_) {
    ShowContextMenu(view().ScreenToClient(ports_.menus.CursorPos()));
  }
  if (message.msg == ui::wm::kPaint && OnPaint()) return true;
  return Dialog::WindowProc(message, result);
}

bool CLorikDlg::OnInitDialog() {
  ports_.controls.Bind(view().Handle(), kProgressBar, progress_);
  ports_.controls.Bind(view().Handle(), kThumbnail, *thumbnail_);
  hotkeys_.emplace(HotkeyControl::Ports{view().Hotkeys(), view().Timers(), ports_.keys,
                                        ports_.trace, ports_.messages, *this, triggers_},
                   records_.shot);

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

  progress_.SetAnimation(false);
  progress_.SetRange(0, 10000);
  progress_.SetPos(10000);
  // The profile histories size themselves to the profile count at the first
  // tick; the button pictures are loaded when first shown.
  thumbnailShown_ = true;

  StartCaptureTimer();

  if (WindowHandle found = search_.FindTargetWindow(records_.capture)) {
    records_.capture.targetWindow = found;
  }

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
  } else if (!CheckSetting(records_, ports_.messages) || desktopRetarget) {
    OnSetting();
  } else {
    ApplySetting();
  }

  if (!saver_.Start()) ports_.system.ExitProcess(0);

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
  hotkeys_->Shutdown();
  WriteSetting();
  if (pool_.Size() > 0) pool_.Stop();
  if (saver_.Started()) saver_.Stop();
}

bool CLorikDlg::LoadIni(IniFile& ini) {
  const bool read = ini.Load(ports_.files, iniPath_, [this](std::string_view bytes) {
    return ports_.files.DecodeAnsi(bytes);
  });
  // A file that is there but could not be read whole (held by another
  // program, too large, or with bytes that do not decode) is the user's: it is
  // never replaced by one that holds only what this program knows.
  return read ? ini.Lossless() : !ports_.files.Exists(iniPath_);
}

void CLorikDlg::ReadSetting() {
  IniFile ini;
  if (!LoadIni(ini)) {
    ports_.messages.Show(
        L"設定ファイルを読み込めませんでした。終了時にこのファイルは変更しません：" + iniPath_,
        kAppName, mb::kIconExclamation);
  }
  const SettingsDefaults defaults{windowRect_, thumbnailRect_, ports_.system.ProcessorCount()};
  ReadResult read = ReadSettings(ini, defaults);
  view().SetWindowPos(ui::ZOrder::Top, read.windowPlacement, 0);
  records_ = std::move(read.records);
}

void CLorikDlg::WriteSetting() {
  // Start from the file as it is now, so that sections and keys this program
  // does not write stay untouched.
  IniFile ini;
  if (!LoadIni(ini)) {
    ports_.messages.Show(L"設定ファイルを読み込めないため、設定を保存しませんでした：" + iniPath_,
                         kAppName, mb::kIconError);
    return;
  }
  WriteSettings(ini, records_, view().GetWindowRect());
  if (!ini.Save(ports_.files, iniPath_)) {
    ports_.messages.Show(L"設定ファイルに保存できませんでした：" + iniPath_, kAppName,
                         mb::kIconError);
  }
}

bool CLorikDlg::ApplySetting() {
  CaptureSettings& capture = records_.capture;
  // A lost target has no client area to take a default size from; the area
  // then stays as it is until the settings are applied with a target.
  if (capture.targetWindow) {
    const Rect client = ports_.windows.ClientRect(capture.targetWindow);
    if (capture.captureArea.Width() == 0)
      capture.captureArea.right = capture.captureArea.left + client.Width();
    if (capture.captureArea.Height() == 0)
      capture.captureArea.bottom = capture.captureArea.top + client.Height();
  }
  // The thumbnail command applies the settings again while the capture already
  // reads the desktop; the real target is then the tracked window already.
  const WindowHandle desktop = ports_.windows.DesktopWindow();
  if (capture.captureFromDesktop && capture.targetWindow != desktop) {
    capture.trackedWindow = capture.targetWindow;
    capture.targetWindow = desktop;
    capture.trackedRect = ports_.windows.WindowRect(capture.trackedWindow);
  }

  capture_.SyncWorkerSettings();
  if (!pool_.Apply(records_.save.conversionThreadNumber, records_.general.supressErrorDialog)) {
    ports_.system.ExitProcess(0);
  }

  hotkeys_->RegisterHotkeys();

  view().SetWindowPos(records_.general.alwaysOnTop ? ui::ZOrder::Topmost : ui::ZOrder::NoTopmost,
                      {}, ui::swp::kNoMove | ui::swp::kNoSize);

  ShowNormalButtonPicture("Unknown type given to ApplySetting::shotButtonType\n");
  ApplyThumbnailArea();

  if (records_.capture.periodBetweenEachCapture >= 10) {
    view().Timers().Kill(captureTimer_);
    captureTimer_ =
        view().Timers().Start(kCaptureTimerId, records_.capture.periodBetweenEachCapture);
    if (captureTimer_ == 0) {
      ports_.messages.Show(L"キャプチャ用タイマの設定に失敗しました", kAppName, mb::kIconError);
    }
  }
  return true;
}

void CLorikDlg::ApplyThumbnailArea() {
  SaveSettings& save = records_.save;
  if (save.previewImage == thumbnailShown_) return;
  const Rect window = view().GetWindowRect();
  const Size minimum = view().LayoutMinimum();
  if (!save.previewImage) {
    const Rect thumb = view().GetItemRect(kThumbnail);
    save.previewWidth = thumb.Width();
    save.previewHeight = thumb.Height();
    windowRect_.bottom -= thumbnailRect_.Height();
    view().SetLayoutMinimum({minimum.width, view().GetClientRect().Height() - save.previewHeight});
    view().ShowItem(kThumbnail, false);
    thumbnailShown_ = false;
    view().SetWindowPos(
        std::nullopt,
        Rect::FromXywh(window.left, window.top, windowRect_.Width(), windowRect_.Height()),
        ui::swp::kNoMove | ui::swp::kNoZOrder);
  } else {
    const Rect client = view().GetClientRect();
    const int32_t h = client.Height();
    windowRect_.bottom += thumbnailRect_.Height();
    view().SetLayoutMinimum({minimum.width, h + save.previewHeight});
    // The preview size is a client size; the window is larger by its frame,
    // or each show would leave it short of its minimum and the thumbnail
    // squeezed.
    const int32_t frameWidth = window.Width() - client.Width();
    const int32_t frameHeight = window.Height() - h;
    view().SetWindowPos(std::nullopt,
                        Rect::FromXywh(window.left, window.top, save.previewWidth + frameWidth,
                                       h + save.previewHeight + frameHeight),
                        ui::swp::kNoMove | ui::swp::kNoZOrder);
    view().ShowItem(kThumbnail, true);
    thumbnailShown_ = true;
  }
}

void CLorikDlg::OnSetting() {
  // Not built yet: the settings dialog. Until it exists the command behaves as
  // a cancelled dialog: the hotkeys are released and registered again from the
  // unchanged settings.
  hotkeys_->UnregisterHotkeys();
  hotkeys_->RegisterHotkeys();
}

bool CLorikDlg::OnSysCommand(unsigned command, intptr_t) {
  if ((command & 0xFFF0) != kAboutCommand) return false;
  OnVersion();
  return true;
}

void CLorikDlg::OnVersion() {
  CAboutDlg about(ports_.system);
  ports_.dialogs.RunModal(about, view().Handle());
}

bool CLorikDlg::OnPaint() {
  if (!view().IsMinimized()) return false;
  view().PaintIconCentered(kIcon);
  return true;
}

intptr_t CLorikDlg::OnQueryDragIcon(uintptr_t, intptr_t) {
  return view().IconHandle(kIcon);
}

void CLorikDlg::OnGetMinMaxInfo(ui::MinMaxInfo& info) {
  info.minTrackSize = {windowRect_.Width(), windowRect_.Height()};
}

void CLorikDlg::ShowNormalButtonPicture(const char* unknownTypeTrace) {
  if (auto set = SetOfButtonType(records_.general.shotButtonType)) {
    view().SetItemBitmap(kMainButton, kPictures[static_cast<int>(*set)].normal);
  } else {
    ports_.trace.Write(unknownTypeTrace);
  }
}

void CLorikDlg::PressFeedback(ButtonSet set) {
  buttonTimer_ = view().Timers().Start(kButtonTimerId, kButtonPressMs);
  view().SetItemBitmap(kMainButton, kPictures[static_cast<int>(set)].pressed);
}

void CLorikDlg::OnTimer(uintptr_t timerId) {
  if (timerId == buttonTimer_) {
    view().Timers().Kill(buttonTimer_);
    ShowNormalButtonPicture("Unknown type given to OnTimer\n");
  }
  if (timerId == captureTimer_) {
    tracker_.TrackingStep();
    capture_.CaptureTick();
  }
  if (timerId == researchTimer_) tracker_.ResearchStep();
  hotkeys_->OnTimer(timerId);
  UpdateStatus();
}

void CLorikDlg::OnHotKey(int id, unsigned modifiers, unsigned virtualKey) {
  hotkeys_->OnHotKey(id, modifiers, virtualKey);
}

void CLorikDlg::OnBnClickedButtonPhoto() {
  const GeneralSettings& general = records_.general;
  const size_t profiles = records_.shot.multiShots.size();
  switch (general.shotButtonType) {
    case 0:
      PressFeedback(ButtonSet::SingleShot);
      capture_.TakeSingleShot();
      break;
    case 1:
      // A profile index outside the profiles (a hand-edited file) takes no shot.
      if (general.mainButtonMultiShotNo >= 0 &&
          static_cast<size_t>(general.mainButtonMultiShotNo) < profiles) {
        capture_.TriggerMultiShot(static_cast<size_t>(general.mainButtonMultiShotNo));
      }
      break;
    case 2:
      OpenLastSavedFolder();
      break;
    case 3:
      if (general.mainButtonShowFolderNo == 0) {
        OpenSingleShotFolder();
      } else if (general.mainButtonShowFolderNo > 0 &&
                 static_cast<size_t>(general.mainButtonShowFolderNo) <= profiles) {
        PressFeedback(ButtonSet::Folder);
        OpenMultiShotFolder(static_cast<size_t>(general.mainButtonShowFolderNo - 1));
      }
      break;
    default:
      ports_.messages.Show(L"OnBnClickedButtonPhotoにて不明な型が渡されました", L"バグ",
                           mb::kIconError);
      break;
  }
}

void CLorikDlg::OpenFolder(const std::wstring& folder) {
  if (ports_.shell.Explore(view().Handle(), folder) <= 32) {
    ports_.messages.Show(L"フォルダを開けませんでした：" + folder, kAppName, mb::kIconError);
  }
}

void CLorikDlg::OpenLastSavedFolder() {
  PressFeedback(ButtonSet::Folder);
  OpenFolder(pipeline_->LastSavedFolder());
}

void CLorikDlg::OpenSingleShotFolder() {
  PressFeedback(ButtonSet::Folder);
  OpenFolder(records_.shot.singleShot.folder);
}

void CLorikDlg::OpenMultiShotFolder(size_t index) {
  if (index >= records_.shot.multiShots.size()) return;
  OpenFolder(records_.shot.multiShots[index].folder);
}

void CLorikDlg::ShowContextMenu(Point client) {
  MenuPort& menus = ports_.menus;
  const MenuPort::Menu menu = menus.Load(kContextMenu);
  if (menu == 0) {
    ports_.messages.Show(L"Failed to load menu", kAppName, mb::kOk);
    return;
  }
  const MenuPort::Menu popup = menus.SubMenu(menu, 0);
  const MenuPort::Menu folders = popup == 0 ? 0 : menus.SubMenu(popup, 0);
  if (popup == 0 || folders == 0) {
    ports_.messages.Show(popup == 0 ? L"Failed to load popup menu" : L"Failed to load folder menu",
                         kAppName, mb::kOk);
    menus.Destroy(menu);
    return;
  }
  const size_t profiles = records_.shot.multiShots.size();
  for (size_t k = 1; k <= profiles; ++k) {
    menus.InsertItem(folders, static_cast<unsigned>(k),
                     kCommandSingleShotFolder + static_cast<unsigned>(k),
                     L"マルチショット" + PaddedDecimal(static_cast<long long>(k), 2));
  }
  if (records_.general.alwaysOnTop) menus.CheckItem(popup, kCommandAlwaysOnTop, true);
  if (records_.save.previewImage) menus.CheckItem(popup, kCommandThumbnail, true);
  menus.Track(popup, view().ClientToScreen(client), view().Handle());
  menus.Destroy(menu);
}

bool CLorikDlg::OnCommand(uintptr_t wParam, intptr_t lParam) {
  const uint32_t command = static_cast<uint32_t>(wParam);
  // The folder items of the profiles, the tenth and later ones included.
  const uint32_t lastFolderItem =
      kCommandSingleShotFolder + static_cast<uint32_t>(records_.shot.multiShots.size());
  if (command > kCommandSingleShotFolder && command <= lastFolderItem) {
    OpenMultiShotFolder(command - kCommandSingleShotFolder - 1);
    return true;
  }
  if (ui::LowWord(wParam) == kProgressBar && ui::HighWord(wParam) == 0) {
    records_.general.showSaveBufferInfo = !records_.general.showSaveBufferInfo;
    return true;
  }
  return Dialog::OnCommand(wParam, lParam);
}

void CLorikDlg::OnAlwaysOnTop() {
  records_.general.alwaysOnTop = !records_.general.alwaysOnTop;
  view().SetWindowPos(records_.general.alwaysOnTop ? ui::ZOrder::Topmost : ui::ZOrder::NoTopmost,
                      {}, ui::swp::kNoMove | ui::swp::kNoSize);
}

void CLorikDlg::OnThumbnail() {
  records_.save.previewImage = !records_.save.previewImage;
  ApplySetting();
}

void CLorikDlg::OnExit() {
  OnCancel();
}

bool CLorikDlg::ConfirmExit() {
  if (!records_.general.checkOnExit) return true;
  return ports_.messages.Show(L"終了しますか?", kAppName, mb::kOkCancel | mb::kIconQuestion) ==
         mb::kIdOk;
}

void CLorikDlg::OnOK() {
  if (ConfirmExit()) EndDialog(ui::kIdOk);
}

void CLorikDlg::OnCancel() {
  if (ConfirmExit()) EndDialog(ui::kIdCancel);
}

void CLorikDlg::UpdateStatus() {
  const CaptureSettings& capture = records_.capture;
  if (!capture.targetWindow) {
    progress_.SetState(pbst::kError);
    progress_.SetWindowText(capture.automaticallyRecaptureAfterLost ? L"キャプ対象捜索中"
                                                                    : L"キャプチャ停止");
    return;
  }
  const uint32_t n = pipeline_->conversionCount.load();
  const int32_t c = records_.save.conversionBuffSize;
  // A capacity below 1 never passes the settings check; should it be in force
  // anyway, the buffer counts as full rather than dividing by zero.
  const double r = c > 0 ? static_cast<double>(n) / c : 1.0;
  progress_.SetState(r > 0.9 ? pbst::kError : n != 0 ? pbst::kPaused : pbst::kNormal);
  // Single shots can fill the buffer far beyond its capacity: keep the
  // conversion to an integer defined before taking the low 16 bits.
  const double position = std::max((1.0 - r) * 10000, -2147483648.0);
  progress_.SetPos(static_cast<int16_t>(static_cast<int32_t>(position)));

  const LastSavedShot last = pipeline_->LastSaved();
  const std::wstring prefix =
      last.profileNo != 0 ? L"M" + PaddedDecimal(last.profileNo, 2) : std::wstring(L"S");
  const std::wstring text =
      records_.general.showSaveBufferInfo
          ? DecimalText(c - static_cast<int64_t>(n)) + L" / " + DecimalText(c) + L" 枚"
          : prefix + L" " + PaddedDecimal(last.captureTime.hour, 2) + L":" +
                PaddedDecimal(last.captureTime.minute, 2) + L":" +
                PaddedDecimal(last.captureTime.second, 2);
  progress_.SetWindowText(text);
  if (!statusPainted_) {
    statusPainted_ = true;
    progress_.InvalidateErasing();
  }
}

}  // namespace lorik
