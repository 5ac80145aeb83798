#include "app/LorikDlg.h"

#include <array>

#include "app/AboutDlg.h"
#include "app/ContextMenu.h"
#include "app/MainButton.h"
#include "app/StatusLine.h"
#include "app/ThumbnailArea.h"
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
#include "settings/SaveFolder.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsIo.h"
#include "settingsui/Setting.h"
#include "target/AreaRecognition.h"
#include "ui/DialogHost.h"

namespace lorik {
namespace {

// The messages other threads post to the main window; one map entry each.
static_assert(kSaveReportMessage != kCaptureTickMessage &&
              kSaveReportMessage != kShotSavedMessage && kCaptureTickMessage != kShotSavedMessage);

// What the main button does, as "Main button setting" stores it.
enum class ShotButtonType { SingleShot, MultiShot, LastSavedFolder, SaveFolder, Unknown };

// A hand-edited file can hold any number; those outside the four are Unknown.
ShotButtonType ShotButtonTypeOf(int32_t stored) {
  switch (stored) {
    case 0:
      return ShotButtonType::SingleShot;
    case 1:
      return ShotButtonType::MultiShot;
    case 2:
      return ShotButtonType::LastSavedFolder;
    case 3:
      return ShotButtonType::SaveFolder;
    default:
      return ShotButtonType::Unknown;
  }
}

// The picture set of a button mode: both folder modes show the folder.
std::optional<ButtonSet> SetOfButtonType(ShotButtonType type) {
  switch (type) {
    case ShotButtonType::SingleShot:
      return ButtonSet::SingleShot;
    case ShotButtonType::MultiShot:
      return ButtonSet::MultiShot;
    case ShotButtonType::LastSavedFolder:
    case ShotButtonType::SaveFolder:
      return ButtonSet::Folder;
    case ShotButtonType::Unknown:
      break;
  }
  return std::nullopt;
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
      grabChain_(ports.grab, ports.windows, ports.processes, ports.clock, ports.messages),
      capture_(pipeline_, grabChain_, ports.clock, ports.messages, records_.shot, records_.capture,
               records_.save, records_.general),
      // Encoding gives way to the capture on a busy machine; the clock comes first.
      pool_(pipeline_, LauncherAt(ports.priorities, ThreadPriority::BelowNormal)),
      saver_(pipeline_, LauncherAt(ports.priorities, ThreadPriority::Normal)),
      clock_(ports.captureTimer, ports.pipeline.poster,
             LauncherAt(ports.priorities, ThreadPriority::Highest)),
      search_(ports.windows, ports.processes, ports.messages, ports.trace),
      tracker_(
          records_.capture, ports.windows, ports.messages,
          [this](CaptureSettings description) { return search_.FindTargetWindow(description); },
          [this](CaptureSettings& capture) {
            return RecognizeCaptureArea(capture, ports_.windows, ports_.grab, ports_.messages);
          }),
      triggers_(capture_, *this, pool_, ports.messages),
      review_(ReviewPorts{ports.messages, *ports.pipeline.files, ports.shell, ports.recycle,
                          ports.filmstrip, ports.clock, ports.trace, ports.decoder,
                          ports.pipeline.poster},
              ports.dialogs) {}

CLorikDlg::~CLorikDlg() = default;

ui::MessageMap CLorikDlg::GetMessageMap() const {
  static constexpr std::array kMap{
      // The folder items of the profiles, the tenth and later ones included;
      // the handler declines ids beyond the profile count.
      ui::MapCommandRange<&CLorikDlg::OnMultiShotFolderItem>(kCommandSingleShotFolder + 1,
                                                             ui::kMaxCommandId),
      ui::MapCommand<&CLorikDlg::OnProgressBarClick>(kProgressBar, 0),
      ui::MapMessage<&CLorikDlg::OnSetCursor>(ui::wm::kSetCursor),
      ui::MapSysCommand<&CLorikDlg::OnSysCommand>(),
      ui::MapMessage<&CLorikDlg::OnPaint>(ui::wm::kPaint),
      ui::MapRaw<&CLorikDlg::OnQueryDragIcon>(ui::wm::kQueryDragIcon),
      ui::MapMessage<&CLorikDlg::OnDestroy>(ui::wm::kDestroy),
      ui::MapRaw<&CLorikDlg::OnQueryEndSession>(ui::wm::kQueryEndSession),
      ui::MapMessage<&CLorikDlg::OnEndSession>(ui::wm::kEndSession),
      ui::MapGetMinMaxInfo<&CLorikDlg::OnGetMinMaxInfo>(),
      ui::MapDpiChanged<&CLorikDlg::OnDpiChanged>(),
      ui::MapCommand<&CLorikDlg::OnSetting>(kCommandSetting),
      ui::MapMessage<&CLorikDlg::OnSaveReport>(kSaveReportMessage),
      ui::MapMessage<&CLorikDlg::OnCaptureTick>(kCaptureTickMessage),
      ui::MapCommand<&CLorikDlg::OnExit>(kCommandExit),
      ui::MapTimer<&CLorikDlg::OnTimer>(),
      ui::MapHotKey<&CLorikDlg::OnHotKey>(),
      ui::MapCommand<&CLorikDlg::OnAlwaysOnTop>(kCommandAlwaysOnTop),
      ui::MapCommand<&CLorikDlg::OnBnClickedButtonPhoto>(kMainButton, 0),
      ui::MapCommand<&CLorikDlg::OpenSingleShotFolder>(kCommandSingleShotFolder),
      ui::MapCommand<&CLorikDlg::OpenLastSavedFolder>(kCommandLastSavedFolder),
      ui::MapCommand<&CLorikDlg::OnThumbnail>(kCommandThumbnail),
      ui::MapCommand<&CLorikDlg::OnVersion>(kCommandVersion),
      ui::MapCommand<&CLorikDlg::OnReviewLastShot>(kCommandReviewLastShot),
      ui::MapCommand<&CLorikDlg::OnReviewLastShot>(kThumbnail, stn::kDoubleClick),
      ui::MapMessage<&CLorikDlg::OnShotSaved>(kShotSavedMessage),
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
  ports_.messages.SetOwner(view().Handle());
  ports_.controls.Bind(view().Handle(), kProgressBar, progress_);
  ports_.controls.Bind(view().Handle(), kThumbnail, *thumbnail_);
  hotkeys_.emplace(HotkeyControl::Ports{view().Hotkeys(), view().Timers(), ports_.keys,
                                        ports_.trace, ports_.messages, *this, triggers_},
                   records_.shot);

  const std::wstring about = view().LoadString(kAboutString);
  if (!about.empty()) view().AppendSystemMenuItem(kAboutCommand, about);
  view().SetIcon(kIcon);

  windowRect_ = view().GetWindowRect();
  dpi_ = view().Dpi();
  thumbnailRect_ = view().GetItemRect(kThumbnail);
  thumbnailRect_ = {0, 0, thumbnailRect_.Width(), thumbnailRect_.Height()};

  ReadSetting();
  // Save failures are handed to this window; the worker never waits on a box.
  pipeline_->SetReportWindow(view().Handle());

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

  StartCaptureTimer(true);

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

  const FolderCheck folders = Folders();
  CheckFocus focus;
  if (!ports_.files.Exists(iniPath_)) {
    ports_.messages.Show(L"設定ファイルが存在しないため、設定ウィンドウを開きます。", kAppName,
                         mb::kIconExclamation);
    OnSetting();
  } else if (!CheckSetting(records_, ports_.messages, ports_.system, &folders, &focus) ||
             desktopRetarget) {
    OpenSettings(focus);
  } else {
    ApplySetting();
  }

  if (!saver_.Start()) ports_.system.ExitProcess(0);

  ports_.trace.Write("Starting re-search timer.\n");
  // A period of 0 or less would search every few milliseconds; the default
  // stands in for it.
  const int32_t searchPeriod =
      records_.capture.searchPeriod > 0 ? records_.capture.searchPeriod : kDefaultSearchPeriodMs;
  researchTimer_ = view().Timers().Start(kResearchTimerId, static_cast<unsigned>(searchPeriod));
  if (researchTimer_ == 0)
    ports_.messages.Show(L"再捜索用タイマの設定に失敗しました", kAppName, mb::kOk);
  return true;
}

void CLorikDlg::StartCaptureTimer(bool atStartUp) {
  // A shorter period never passes the settings check; the running timer, if
  // any, keeps its old period.
  const uint32_t period = records_.capture.periodBetweenEachCapture;
  if (period < 10) return;
  if (atStartUp) ports_.trace.Write("Starting capture timer.\n");
  view().Timers().Kill(kCaptureTimerId);
  captureTimer_ = 0;
  // The window's timer follows the system's tick, about 15.6 ms on Windows,
  // so the clock's thread keeps the period wherever it can run.
  if (clock_.Start(view().Handle(), period)) return;
  captureTimer_ = view().Timers().Start(kCaptureTimerId, period);
  if (captureTimer_ == 0) {
    ports_.messages.Show(L"キャプチャ用タイマの設定に失敗しました", kAppName,
                         atStartUp ? mb::kOk : mb::kIconError);
  }
}

void CLorikDlg::OnDestroy() {
  Shutdown();
}

void CLorikDlg::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  ports_.trace.Write("Stopping all timers.\n");
  clock_.Stop();
  ports_.trace.Write("Capture clock: " + std::to_string(clock_.Posted()) + " ticks, " +
                     std::to_string(clock_.Skipped()) + " slots skipped.\n");
  view().Timers().Kill(kCaptureTimerId);
  view().Timers().Kill(buttonTimer_);
  view().Timers().Kill(researchTimer_);
  if (hotkeys_) hotkeys_->Shutdown();
  WriteSetting();
  // This thread answers no message while it waits, so a worker's message must
  // not need its owner window meanwhile.
  ports_.messages.SetOwner({});
  pipeline_->SetReportWindow({});
  uint32_t notSaved = capture_.FlushPending();
  if (pool_.Size() > 0 && saver_.Started()) pipeline_->WaitSettled(kExitSaveWait);
  // Frames still in flight now are counted as not saved, whatever becomes of them.
  notSaved += pipeline_->CloseForExit();
  // One deadline for every worker, so that exit, logoff and shutdown stay
  // bounded whatever the number of workers.
  const auto deadline = std::chrono::steady_clock::now() + kExitStopWait;
  if (pool_.Size() > 0) pool_.Stop(deadline);
  if (saver_.Started()) saver_.Stop(deadline);
  // Failures the window had no turn to show yet, before the exit's count.
  pipeline_->saveReports.ShowPending(ports_.messages);
  if (notSaved > 0) {
    ports_.messages.Show(L"終了までに保存が間に合わなかったため、画像" + std::to_wstring(notSaved) +
                             L"枚は保存されませんでした",
                         kAppName, mb::kIconExclamation);
  }
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
  StartCaptureTimer(false);
  return true;
}

void CLorikDlg::ApplyThumbnailArea() {
  SaveSettings& save = records_.save;
  const bool show = save.previewImage;
  if (show == thumbnailShown_) return;
  const ThumbnailArea area = LayOutThumbnailArea(show, {view().GetWindowRect(),
                                                        view().GetClientRect(),
                                                        view().GetItemRect(kThumbnail),
                                                        thumbnailRect_,
                                                        windowRect_,
                                                        view().LayoutMinimum(),
                                                        {save.previewWidth, save.previewHeight}});
  save.previewWidth = area.preview.width;
  save.previewHeight = area.preview.height;
  windowRect_ = area.minimumWindow;
  view().SetLayoutMinimum(area.layoutMinimum);
  if (!show) view().ShowItem(kThumbnail, false);
  view().SetWindowPos(std::nullopt, area.window, ui::swp::kNoMove | ui::swp::kNoZOrder);
  if (show) view().ShowItem(kThumbnail, true);
  thumbnailShown_ = show;
}

FolderCheck CLorikDlg::Folders() {
  return {*pipeline_->ports.files, pipeline_->ports.defaultFolder, ports_.shell.CurrentDirectory()};
}

void CLorikDlg::OnSaveReport() {
  pipeline_->saveReports.ShowPending(ports_.messages);
}

void CLorikDlg::OnReviewLastShot() {
  review_.Open(view().Handle(), pipeline_->lastShot.Snapshot());
}

void CLorikDlg::OnShotSaved() {
  review_.OnShotSaved(view().Handle(), pipeline_->lastShot.Snapshot(),
                      records_.general.reviewAfterMultiShot);
}

void CLorikDlg::OnSetting() {
  OpenSettings({});
}

void CLorikDlg::OpenSettings(CheckFocus focus) {
  CSetting setting(SettingPorts{ports_.messages, ports_.trace, ports_.clock, ports_.shell,
                                ports_.windows, ports_.processes, ports_.grab, ports_.dialogs,
                                ports_.keyNames, pipeline_->ports.defaultFolder});
  // No shot may fire while the user edits the hotkeys.
  hotkeys_->UnregisterHotkeys();
  setting.hotkeyPage.singleShot = records_.shot.singleShot;
  setting.hotkeyPage.multiShots = records_.shot.multiShots;
  setting.hotkeyPage.profileCount = records_.general.maximumMultiShotNo;
  setting.capturePage.capture = records_.capture;
  setting.savePage.save = records_.save;
  setting.miscPage.general = records_.general;
  settingsOpen_ = true;
  // The same dialog object again after a refused check: it opens on the values
  // the user entered, on the page and profile the refusal names.
  const FolderCheck folders = Folders();
  do {
    if (focus.page >= 0) setting.OpenOnPage(focus.page);
    if (focus.profile >= 0) setting.hotkeyPage.SelectProfile(focus.profile);
    focus = {};
    if (setting.DoModal(view().Handle()) != ui::kIdOk) {
      settingsOpen_ = false;
      hotkeys_->RegisterHotkeys();
      return;
    }
  } while (!CheckSetting(setting.capturePage.capture, setting.hotkeyPage.singleShot,
                         setting.hotkeyPage.multiShots, setting.savePage.save,
                         setting.miscPage.general, records_.general.maximumMultiShotNo,
                         ports_.messages, ports_.system, &folders, &focus));
  settingsOpen_ = false;
  records_.shot.singleShot = setting.hotkeyPage.singleShot;
  records_.shot.multiShots = setting.hotkeyPage.multiShots;
  records_.capture = setting.capturePage.capture;
  records_.save = setting.savePage.save;
  records_.general = setting.miscPage.general;
  ApplySetting();
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

bool CLorikDlg::OnSetCursor(uintptr_t, intptr_t lParam) {
  // Controls pass WM_SETCURSOR on to their parent, so this sees a right click
  // anywhere in the window. The cursor itself is still the default's to set.
  if (ui::HighWord(static_cast<uintptr_t>(lParam)) == ui::wm::kRButtonUp && !settingsOpen_) {
    ShowContextMenu(view().ScreenToClient(ports_.menus.CursorPos()));
  }
  return false;
}

intptr_t CLorikDlg::OnQueryDragIcon(uintptr_t, intptr_t) {
  return view().IconHandle(kIcon);
}

void CLorikDlg::OnGetMinMaxInfo(ui::MinMaxInfo& info) {
  info.minTrackSize = {windowRect_.Width(), windowRect_.Height()};
}

// The host has scaled the controls, the font and the layout and taken the
// suggested rectangle; what this window measured at the old DPI follows, and
// the button shows the picture drawn for the new one.
void CLorikDlg::OnDpiChanged(const ui::DpiChange& change) {
  windowRect_ = ui::ScaleForDpi(windowRect_, change.dpi, dpi_);
  thumbnailRect_ = ui::ScaleForDpi(thumbnailRect_, change.dpi, dpi_);
  dpi_ = change.dpi;
  ShowNormalButtonPicture("Unknown type given to OnDpiChanged\n");
  progress_.InvalidateErasing();
}

void CLorikDlg::ShowNormalButtonPicture(const char* unknownTypeTrace) {
  if (auto set = SetOfButtonType(ShotButtonTypeOf(records_.general.shotButtonType))) {
    view().SetItemBitmap(kMainButton, MainButtonPicture(*set, false, view().Dpi()));
  } else {
    ports_.trace.Write(unknownTypeTrace);
  }
}

void CLorikDlg::PressFeedback(ButtonSet set) {
  buttonTimer_ = view().Timers().Start(kButtonTimerId, kButtonPressMs);
  view().SetItemBitmap(kMainButton, MainButtonPicture(set, true, view().Dpi()));
}

void CLorikDlg::OnTimer(uintptr_t timerId) {
  if (timerId == buttonTimer_) {
    view().Timers().Kill(buttonTimer_);
    ShowNormalButtonPicture("Unknown type given to OnTimer\n");
  }
  if (captureTimer_ != 0 && timerId == captureTimer_) CaptureStep();
  if (timerId == researchTimer_) tracker_.ResearchStep();
  hotkeys_->OnTimer(timerId);
  UpdateStatus();
}

void CLorikDlg::OnCaptureTick() {
  // The next tick comes at the first deadline after this one has ended, also
  // when the capture throws; a box the capture opens holds the clock until it
  // closes.
  struct Handled {
    CaptureClock& clock;
    ~Handled() { clock.TickHandled(); }
  } handled{clock_};
  if (shutDown_) return;
  if (clock_.Failed()) {
    // Its wait failed: the window's timer paces the capture from now on.
    clock_.Stop();
    StartCaptureTimer(false);
  }
  CaptureStep();
  UpdateStatus();
}

// One capture, whichever paces it: the tracking step of desktop mode, then the tick.
void CLorikDlg::CaptureStep() {
  tracker_.TrackingStep();
  capture_.CaptureTick();
}

void CLorikDlg::OnHotKey(int id, unsigned modifiers, unsigned virtualKey) {
  hotkeys_->OnHotKey(id, modifiers, virtualKey);
}

void CLorikDlg::OnBnClickedButtonPhoto() {
  const GeneralSettings& general = records_.general;
  const size_t profiles = records_.shot.multiShots.size();
  switch (ShotButtonTypeOf(general.shotButtonType)) {
    case ShotButtonType::SingleShot:
      PressFeedback(ButtonSet::SingleShot);
      triggers_.TakeSingleShot();
      break;
    case ShotButtonType::MultiShot:
      // A profile index outside the profiles (a hand-edited file) takes no shot.
      if (general.mainButtonMultiShotNo >= 0 &&
          static_cast<size_t>(general.mainButtonMultiShotNo) < profiles) {
        triggers_.TriggerMultiShot(static_cast<size_t>(general.mainButtonMultiShotNo));
      }
      break;
    case ShotButtonType::LastSavedFolder:
      OpenLastSavedFolder();
      break;
    case ShotButtonType::SaveFolder:
      if (general.mainButtonShowFolderNo == 0) {
        OpenSingleShotFolder();
      } else if (general.mainButtonShowFolderNo > 0 &&
                 static_cast<size_t>(general.mainButtonShowFolderNo) <= profiles) {
        PressFeedback(ButtonSet::Folder);
        OpenMultiShotFolder(static_cast<size_t>(general.mainButtonShowFolderNo - 1));
      }
      break;
    case ShotButtonType::Unknown:
      ports_.messages.Show(L"OnBnClickedButtonPhotoにて不明な型が渡されました", L"バグ",
                           mb::kIconError);
      break;
  }
}

void CLorikDlg::OpenFolder(const std::wstring& folder) {
  // The folder a shot would save into; one not made yet is made now, since
  // the first shot would make it anyway.
  const FolderCheck folders = Folders();
  const FixedFolder fixed =
      FixedSaveFolder(folder, L"", folders.defaultFolder, folders.currentDirectory);
  const bool there = fixed.status == FixedFolderStatus::Ok &&
                     (folders.files.IsFolder(fixed.path) || folders.files.CreateFolder(fixed.path));
  if (!there || !ports_.shell.Explore(view().Handle(), fixed.path)) {
    ports_.messages.Show(L"フォルダを開けませんでした：" + fixed.path, kAppName, mb::kIconError);
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
  const std::optional<std::wstring_view> failure =
      TrackContextMenu(ports_.menus, {view().ClientToScreen(client), view().Handle(),
                                      records_.shot.multiShots.size(), records_.general.alwaysOnTop,
                                      records_.save.previewImage});
  if (failure) ports_.messages.Show(*failure, kAppName, mb::kOk);
}

bool CLorikDlg::OnMultiShotFolderItem(unsigned command) {
  const size_t index = command - kCommandSingleShotFolder - 1;
  if (index >= records_.shot.multiShots.size()) return false;
  OpenMultiShotFolder(index);
  return true;
}

void CLorikDlg::OnProgressBarClick() {
  records_.general.showSaveBufferInfo = !records_.general.showSaveBufferInfo;
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

// Logoff and shutdown ask nothing, not even with "Check on exit": the session
// ends either way, and the settings are saved when it does.
intptr_t CLorikDlg::OnQueryEndSession(uintptr_t, intptr_t) {
  return 1;
}

// The process may be ended as soon as this returns, so the exit sequence runs
// here and not at the window's destruction.
void CLorikDlg::OnEndSession(uintptr_t ending, intptr_t) {
  if (ending == 0 || shutDown_) return;
  Shutdown();
  EndDialog(ui::kIdCancel);
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
  const StatusLine line = ComposeStatusLine(
      {static_cast<bool>(capture.targetWindow), capture.automaticallyRecaptureAfterLost,
       pipeline_->conversionCount.load(), records_.save.conversionBuffSize, pipeline_->LastSaved(),
       records_.general.showSaveBufferInfo, grabChain_.MethodInUse()});
  progress_.SetState(line.state);
  if (line.position) progress_.SetPos(*line.position);
  progress_.SetWindowText(line.text);
  // The first text replaces the template's empty bar: paint it all once.
  if (line.position && !statusPainted_) {
    statusPainted_ = true;
    progress_.InvalidateErasing();
  }
}

}  // namespace lorik
