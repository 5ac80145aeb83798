#include "app/HotkeyControl.h"

#include <string>

#include "app/AppPorts.h"
#include "core/Text.h"
#include "pipeline/CaptureController.h"
#include "pipeline/ConversionPool.h"
#include "platform/Hotkeys.h"
#include "platform/KeyState.h"
#include "platform/MessageBox.h"
#include "platform/PlatformValues.h"
#include "platform/Timers.h"
#include "platform/Trace.h"

namespace lorik {

bool CaptureControllerTriggers::CanSave() {
  if (pool_.Size() > 0) {
    toldNoWorkers_ = false;
    return true;
  }
  if (!toldNoWorkers_) {
    toldNoWorkers_ = true;
    messages_.Show(L"設定が適用されていないため、画像は保存されません。設定を完了してください",
                   kAppName, mb::kIconExclamation);
  }
  return false;
}

void CaptureControllerTriggers::TakeSingleShot() {
  if (CanSave()) controller_.TakeSingleShot();
}

void CaptureControllerTriggers::TriggerMultiShot(size_t index) {
  feedback_.PressFeedback(ButtonSet::MultiShot);
  if (CanSave()) controller_.TriggerMultiShot(index);
}

HotkeyControl::HotkeyControl(Ports ports, const ShotSettings& shots)
    : ports_(ports), shots_(shots) {}

bool HotkeyControl::Register(const MultiShotProfile& shot) {
  return ports_.hotkeys.Register(shot.id, shot.modifier | mod::kNoRepeat, shot.virtualKey);
}

void HotkeyControl::RegisterHotkeys() {
  const MultiShotProfile& single = shots_.singleShot;
  ports_.hotkeys.Unregister(single.id);
  if (single.virtualKey != 0) {
    ports_.trace.Write("Registering Single Hotkey\n");
    if (!Register(single)) {
      ports_.messages.Show(L"シングルショット用ホットキーの設定に失敗しました", kAppName,
                           mb::kIconError);
    }
  }
  for (size_t j = 0; j < shots_.multiShots.size(); ++j) {
    const MultiShotProfile& profile = shots_.multiShots[j];
    ports_.hotkeys.Unregister(profile.id);
    if (profile.virtualKey == 0) continue;
    ports_.trace.Write("Registering Multi Hotkey\n");
    if (!Register(profile)) {
      const std::wstring text = L"マルチショット" +
                                PaddedDecimal(static_cast<long long>(j + 1), 2) +
                                L"用ホットキーの設定に失敗しました";
      ports_.messages.Show(text, kAppName, mb::kIconError);
    }
  }
}

void HotkeyControl::UnregisterHotkeys() {
  ports_.hotkeys.Unregister(shots_.singleShot.id);
  for (const MultiShotProfile& profile : shots_.multiShots) ports_.hotkeys.Unregister(profile.id);
}

void HotkeyControl::Shutdown() {
  UnregisterHotkeys();
  StopPoll();
  latched_.clear();
}

void HotkeyControl::OnHotKey(int id, unsigned modifiers, unsigned virtualKey) {
  // Without the poll timer the release can only be looked for here.
  if (!pollRunning_) PollReleases();
  if (latched_.contains(id)) return;  // the same press, repeated while the key is held
  // Latched before the shot: a shot's message box runs its own loop, and the
  // repeats arriving inside it must already be held back.
  latched_[id] = virtualKey;
  StartPoll();
  // Without the poll nothing would ever see the key up, and the hotkey would
  // stay dead: rather let the platform's repeats through.
  if (!pollRunning_) latched_.erase(id);

  if (id == shots_.singleShot.id) {
    ports_.feedback.PressFeedback(ButtonSet::SingleShot);
    ports_.triggers.TakeSingleShot();
  }
  // The stored modifiers never hold MOD_NOREPEAT; a platform that reports it back
  // must not make every profile miss.
  const unsigned pressed = modifiers & ~mod::kNoRepeat;
  for (size_t j = 0; j < shots_.multiShots.size(); ++j) {
    const MultiShotProfile& profile = shots_.multiShots[j];
    if (profile.id == id && profile.virtualKey == virtualKey && profile.modifier == pressed)
      ports_.triggers.TriggerMultiShot(j);
  }
}

bool HotkeyControl::OnTimer(uintptr_t timerId) {
  if (timerId != kReleaseTimerId) return false;
  PollReleases();
  return true;
}

void HotkeyControl::PollReleases() {
  std::erase_if(latched_, [&](const auto& entry) { return !ports_.keys.IsDown(entry.second); });
  if (latched_.empty()) StopPoll();
}

void HotkeyControl::StartPoll() {
  if (pollRunning_) return;
  pollRunning_ = ports_.timers.Start(kReleaseTimerId, kReleasePollMs) != 0;
}

void HotkeyControl::StopPoll() {
  if (!pollRunning_) return;
  ports_.timers.Kill(kReleaseTimerId);
  pollRunning_ = false;
}

}  // namespace lorik
