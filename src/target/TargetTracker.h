#pragma once
#include <cstdint>
#include <functional>

#include "core/WindowHandle.h"
#include "platform/ExclusiveMessage.h"
#include "settings/Settings.h"

namespace lorik {

class WindowSystemPort;

// Follows the capture target between captures: the re-search of a lost
// target on the re-search timer, and in desktop mode the moves and changes of
// size of the tracked window before each capture. Works on the main window's
// capture record in place; user-interface thread only.
class TargetTracker {
 public:
  // FindTargetWindow on a copy of the record; null when nothing was found.
  using FindTarget = std::function<WindowHandle(CaptureSettings)>;
  // RecognizeCaptureArea on the record itself; true when `captureArea` holds a result.
  using RecognizeArea = std::function<bool(CaptureSettings&)>;

  enum class State {
    LockedOn,   // a target is set: every capture tick grabs
    Searching,  // no target; the re-search step looks for it
    Stopped,    // no target and no search: only the settings bring it back
  };

  // A change of size starts this much capture time of silence for further changes.
  static constexpr uint32_t kResizeQuietMs = 5000;

  TargetTracker(CaptureSettings& capture, WindowSystemPort& windows, MessageBoxPort& messages,
                FindTarget findTarget, RecognizeArea recognizeArea);

  // The re-search timer's tick.
  void ResearchStep();
  // The capture timer's tick, before the capture itself.
  void TrackingStep();

  State GetState() const;
  bool IsSearching() const { return GetState() == State::Searching; }
  // Capture ticks left during which a change of size is recorded silently.
  uint32_t ResizeQuietTicks() const { return resizeQuietTicks_; }
  // The size warning, its question or the re-recognition is open.
  bool ResizeMessageOpen() const { return resizeMessage_.IsOpen(); }

 private:
  void ReportResize();
  void AskAboutResize();

  CaptureSettings& capture_;
  WindowSystemPort& windows_;
  MessageBoxPort& messages_;
  FindTarget findTarget_;
  RecognizeArea recognizeArea_;

  uint32_t resizeQuietTicks_ = 0;
  // Both timers fire inside these messages' modal loops. The search's messages
  // are its failures; a search started inside one would only fail again.
  ExclusiveMessage resizeMessage_;
  ExclusiveMessage searchMessages_;
};

}  // namespace lorik
