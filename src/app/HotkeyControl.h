#pragma once
#include <cstddef>
#include <cstdint>
#include <map>

#include "app/PressFeedback.h"
#include "settings/Settings.h"

namespace lorik {

class HotkeyPort;
class TimerPort;
class KeyStatePort;
class TracePort;
class MessageBoxPort;
class CaptureController;
class ConversionPool;

// The shot triggers a hotkey reaches.
class ShotTriggerPort {
 public:
  virtual ~ShotTriggerPort() = default;
  virtual void TakeSingleShot() = 0;
  // `index` is the 0-based profile index.
  virtual void TriggerMultiShot(size_t index) = 0;
};

// The pipeline's triggers. A multi shot shows its press on the main button
// before it starts; a single shot's press is shown by its callers (the hotkeys
// and the main button) before they call.
//
// Without conversion workers (settings never applied, after a cancelled first
// settings dialog) nothing would ever take the frames: a shot then says once
// why nothing is saved and queues nothing.
class CaptureControllerTriggers final : public ShotTriggerPort {
 public:
  CaptureControllerTriggers(CaptureController& controller, PressFeedbackPort& feedback,
                            const ConversionPool& pool, MessageBoxPort& messages)
      : controller_(controller), feedback_(feedback), pool_(pool), messages_(messages) {}
  void TakeSingleShot() override;
  void TriggerMultiShot(size_t index) override;

 private:
  // False, having said so once, while no worker could save a frame.
  bool CanSave();

  CaptureController& controller_;
  PressFeedbackPort& feedback_;
  const ConversionPool& pool_;
  MessageBoxPort& messages_;
  bool toldNoWorkers_ = false;
};

// The global hotkeys of the main window: their registration and the handling
// of WM_HOTKEY. Reads the shot settings as they are at each call.
//
// One press is one shot, also where the platform ignores MOD_NOREPEAT and
// sends a WM_HOTKEY for every auto-repeat of a held key. After a hotkey is
// accepted its id is latched, and further WM_HOTKEY of that id are dropped
// until the key has been seen up. Seeing the release is the hard part: a
// check at the next WM_HOTKEY comes too late, since after a release and a new
// press the key is down again, and repeats queued before a release would look
// like new presses. So while any id is latched, a short poll timer
// (kReleaseTimerId, every kReleasePollMs) asks the key state and unlatches the
// ids whose key is up; it stops when nothing is latched. Posted WM_HOTKEY come
// before WM_TIMER, so queued repeats always meet the latch, and a second press
// is accepted the moment it arrives when the keys were up for one poll period
// in between — far shorter than a person can release and press a key again.
// Only the hotkey's own key is watched: pressing a modifier again while the
// key stays down is a repeat, as it would be with MOD_NOREPEAT.
class HotkeyControl {
 public:
  static constexpr unsigned kReleaseTimerId = 12422;
  static constexpr unsigned kReleasePollMs = 20;

  struct Ports {
    HotkeyPort& hotkeys;  // the main window's
    TimerPort& timers;    // the main window's; gives the release poll
    KeyStatePort& keys;
    TracePort& trace;
    MessageBoxPort& messages;
    PressFeedbackPort& feedback;
    ShotTriggerPort& triggers;
  };

  HotkeyControl(Ports ports, const ShotSettings& shots);

  // Registers the single shot and every profile that has a key; one message per failure.
  void RegisterHotkeys();
  // Unregisters the single shot, then every profile.
  void UnregisterHotkeys();
  // Unregisters everything and stops the release poll: the window is going away.
  void Shutdown();

  // WM_HOTKEY: the modifiers are the low word and the key the high word of lParam.
  void OnHotKey(int id, unsigned modifiers, unsigned virtualKey);
  // WM_TIMER; true when it was the release poll's tick, which it has handled.
  bool OnTimer(uintptr_t timerId);

  bool IsLatched(int id) const { return latched_.contains(id); }
  bool ReleasePollRunning() const { return pollRunning_; }

 private:
  bool Register(const MultiShotProfile& shot);
  void PollReleases();
  void StartPoll();
  void StopPoll();

  Ports ports_;
  const ShotSettings& shots_;
  std::map<int, unsigned> latched_;  // hotkey id -> virtual key still to be released
  bool pollRunning_ = false;
};

}  // namespace lorik
