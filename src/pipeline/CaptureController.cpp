#include "pipeline/CaptureController.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/AppName.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/ScreenGrab.h"
#include "settings/SettingsCheck.h"

namespace lorik {
namespace {

constexpr wchar_t kTargetGone[] = L"キャプチャ対象が離脱!";
constexpr wchar_t kTargetHidden[] = L"キャプチャ対象の幅や高さが0?";
constexpr wchar_t kCaptureFailed[] = L"キャプチャ失敗";
constexpr wchar_t kBufferFullBefore[] = L"変換バッファに空きがないため、マルチショットの画像";
constexpr wchar_t kBufferFullAfter[] = L"枚は保存されません";

void RenewIfChanged(SharedText& shared, const std::wstring& text) {
  if (shared.str() != text) shared = SharedText(text);
}

}  // namespace

CaptureController::CaptureController(std::shared_ptr<PipelineState> state, ScreenGrabPort& grab,
                                     ClockPort& clock, MessageBoxPort& messages,
                                     const ShotSettings& shots, CaptureSettings& capture,
                                     const SaveSettings& save, const GeneralSettings& general)
    : state_(std::move(state)),
      grab_(grab),
      clock_(clock),
      messages_(messages),
      shots_(shots),
      capture_(capture),
      save_(save),
      general_(general),
      grabMessage_(messages),
      bufferFullMessage_(messages) {}

bool CaptureController::GrabArea(std::shared_ptr<const Picture>& picture, CaptureSettings& capture,
                                 int bitDepth, bool showMessages) {
  const WindowHandle source = capture.targetWindow;
  if (!source) return false;
  if (!grab_.IsWindow(source)) {
    capture.targetWindow = WindowHandle{};
    if (showMessages) grabMessage_.Show(kTargetGone, L"", mb::kOk);
    return false;
  }
  if (!grab_.IsWindowVisible(source)) {
    if (showMessages) grabMessage_.Show(kTargetHidden, L"", mb::kOk);
    return false;
  }
  const Rect area = capture.captureArea;
  if (area.Width() == 0 || area.Height() == 0) return false;
  picture = grab_.Grab(source, area, bitDepth);
  // A window that does not answer (a page that is loading) is left alone for
  // this tick, without a word, and asked again at the next.
  if (!picture && !grab_.Answers(source)) return false;
  // Any other picture that could not be made still counts as a grab; its
  // frame fails in conversion with the encoder's message.
  return true;
}

void CaptureController::SyncWorkerSettings() {
  const WorkerSettings now{save_.imageType, save_.useDiskCache, general_.supressErrorDialog};
  if (publishedOnce_ && now == published_) return;
  state_->PublishSettings(now);
  published_ = now;
  publishedOnce_ = true;
}

void CaptureController::SizeProfiles() {
  const size_t count = shots_.multiShots.size();
  if (histories_.size() != count) histories_.resize(count);
  if (texts_.size() != count) texts_.resize(count);
  if (runs_.size() != count) runs_.resize(count);
}

const CaptureController::ProfileTexts& CaptureController::TextsOf(size_t index,
                                                                  const MultiShotProfile& profile) {
  ProfileTexts& texts = texts_[index];
  RenewIfChanged(texts.folder, profile.folder);
  RenewIfChanged(texts.pattern, profile.format);
  return texts;
}

size_t CaptureController::HistorySize(size_t index) const {
  return index < histories_.size() ? histories_[index].size() : 0;
}

MultiShotRun& CaptureController::Run(size_t index) {
  SizeProfiles();
  return runs_.at(index);
}

bool CaptureController::MovePending(FrameQueue& history, MultiShotRun& run) {
  if (run.pendingCount <= 0 || history.empty()) return false;
  const size_t moving = std::min(static_cast<size_t>(run.pendingCount), history.size());
  state_->Enqueued(static_cast<uint32_t>(moving));
  bool foundEmpty = false;
  std::lock_guard lock(state_->conversionLock);
  FrameQueue& buffer = state_->conversionBuffer;
  for (size_t k = 0; k < moving; ++k) {
    CapturedFrame next = history.pop_front();
    next.startTime = run.startTime;
    next.endsShot = run.pendingCount == 1;
    if (buffer.empty()) foundEmpty = true;
    buffer.push_back(std::move(next));
    --run.pendingCount;
  }
  state_->conversionCount.store(static_cast<uint32_t>(buffer.size()));
  return foundEmpty;
}

uint32_t CaptureController::FlushPending() {
  SizeProfiles();
  bool foundEmpty = false;
  uint32_t neverCaptured = 0;
  for (size_t i = 0; i < runs_.size(); ++i) {
    MultiShotRun& run = runs_[i];
    if (MovePending(histories_[i], run)) foundEmpty = true;
    if (run.pendingCount > 0) neverCaptured += static_cast<uint32_t>(run.pendingCount);
    run.pendingCount = 0;
  }
  if (foundEmpty) state_->WakeConverters(true);
  return neverCaptured;
}

void CaptureController::CaptureTick() {
  // Settings in force while their refusal is shown may hold an area that no
  // grab can take; such a tick takes nothing.
  if (!CaptureAreaGrabbable(capture_.captureArea, save_.imageBitDepth)) return;
  SyncWorkerSettings();
  SizeProfiles();
  std::shared_ptr<const Picture> picture;
  if (!GrabArea(picture, capture_, save_.imageBitDepth, capture_.showDialogOnLost)) return;

  CapturedFrame tick;
  tick.picture = std::move(picture);
  tick.captureTime = clock_.LocalTime();

  // The wake-up is decided per append rather than from the count before the
  // tick: a worker may empty the buffer and sleep between two appends.
  bool foundEmpty = false;
  for (size_t i = 0; i < shots_.multiShots.size(); ++i) {
    const MultiShotProfile& profile = shots_.multiShots[i];
    MultiShotRun& run = runs_[i];
    if (run.skipCounter < profile.numberOfCaptureSkippedAfterSave) {
      ++run.skipCounter;
      continue;
    }
    run.skipCounter = 0;

    FrameQueue& history = histories_[i];
    const ProfileTexts& texts = TextsOf(i, profile);
    CapturedFrame frame;
    frame.captureTime = tick.captureTime;
    frame.startTime = run.startTime;
    frame.picture = tick.picture;
    frame.folder = texts.folder;
    frame.pattern = texts.pattern;
    frame.profileNo = static_cast<int32_t>(i + 1);
    history.push_back(std::move(frame));

    // The press reserved room for every pending frame, so they move whatever
    // the count: waiting in the history would let trimming discard them.
    if (MovePending(history, run)) foundEmpty = true;

    const size_t before = profile.numberOfSavedImageBeforeHotkey > 0
                              ? static_cast<size_t>(profile.numberOfSavedImageBeforeHotkey)
                              : 0;
    while (history.size() > before) history.pop_front();
  }
  if (foundEmpty) state_->WakeConverters(true);
}

void CaptureController::TakeSingleShot() {
  SyncWorkerSettings();
  std::shared_ptr<const Picture> picture;
  if (!GrabArea(picture, capture_, save_.imageBitDepth, capture_.showDialogOnLost)) {
    if (general_.supressErrorDialog) {
      messages_.Beep();
    } else {
      messages_.Show(kCaptureFailed, kAppName, mb::kIconError);
    }
    return;
  }
  CapturedFrame frame;
  frame.picture = std::move(picture);
  frame.captureTime = clock_.LocalTime();
  frame.startTime = frame.captureTime;
  RenewIfChanged(singleTexts_.folder, shots_.singleShot.folder);
  RenewIfChanged(singleTexts_.pattern, shots_.singleShot.format);
  frame.folder = singleTexts_.folder;
  frame.pattern = singleTexts_.pattern;
  frame.profileNo = 0;
  if (state_->AppendForConversion(std::move(frame))) state_->WakeConverters(false);
}

void CaptureController::TriggerMultiShot(size_t index) {
  SizeProfiles();
  if (index >= shots_.multiShots.size()) return;
  const MultiShotProfile& profile = shots_.multiShots[index];
  MultiShotRun& run = runs_[index];

  const uint64_t elapsed = clock_.TickCount() - run.lastTriggerTick;
  const uint64_t skip =
      profile.numberOfCaptureSkippedAfterSave > 0 ? profile.numberOfCaptureSkippedAfterSave : 0;
  const uint64_t interval = (skip + 1) * static_cast<uint64_t>(capture_.periodBetweenEachCapture);
  // A period of 0 is refused by the settings check; take it as "no frame
  // interval known", which starts a new shot.
  uint64_t n = interval > 0 ? elapsed / interval : UINT64_MAX;

  const int64_t before = profile.numberOfSavedImageBeforeHotkey;
  const int64_t after = profile.numberOfSavedImageAfterHotkey;
  const uint64_t limit = before + after > 0 ? static_cast<uint64_t>(before + after) : 0;
  if (n > limit) {
    n = limit;
    run.startTime = clock_.LocalTime();
  }
  // Frames pending for any profile hold room already: they move whatever the
  // count once captured.
  int64_t pending = 0;
  for (const MultiShotRun& other : runs_)
    pending += other.pendingCount > 0 ? other.pendingCount : 0;
  // Frames encoded or being encoded still hold their pictures until they are
  // written, so a save worker that lags or fails cannot let presses fill the
  // memory: together with the queued ones they stay within both buffers.
  const int64_t queued = static_cast<int64_t>(state_->conversionCount.load());
  const int64_t unwritten = static_cast<int64_t>(state_->convertingCount.load()) +
                            static_cast<int64_t>(state_->saveCount.load());
  const int64_t room =
      std::min<int64_t>(static_cast<int64_t>(save_.conversionBuffSize) - queued - pending,
                        static_cast<int64_t>(save_.conversionBuffSize) + save_.saveBuffSize -
                            queued - unwritten - pending);
  const uint64_t asked = n;
  if (room <= 0) {
    n = 0;
  } else if (n > static_cast<uint64_t>(room)) {
    n = static_cast<uint64_t>(room);
  }
  run.pendingCount += static_cast<int32_t>(n);
  run.lastTriggerTick = clock_.TickCount();
  if (asked > n) {
    bufferFullMessage_.Show(kBufferFullBefore + std::to_wstring(asked - n) + kBufferFullAfter,
                            kAppName, mb::kIconExclamation);
  }
}

}  // namespace lorik
