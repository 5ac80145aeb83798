#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/SystemTime.h"
#include "pipeline/CapturedFrame.h"
#include "pipeline/PipelineState.h"
#include "platform/ExclusiveMessage.h"
#include "settings/Settings.h"

namespace lorik {

class ScreenGrabPort;
class ClockPort;

// Where a multi shot of one profile stands. Kept out of the profile's settings
// record, which the settings dialog copies out and assigns back whole: a shot
// running meanwhile would be rolled back and take its frames again.
struct MultiShotRun {
  int32_t skipCounter = 0;       // captures skipped since the profile last took a frame
  SystemTime startTime;          // time of the press that started the shot
  int32_t pendingCount = 0;      // frames still to be taken after the press
  uint64_t lastTriggerTick = 0;  // tick count of the previous press
};

// The user-interface side of the pipeline: the capture tick, the shot triggers,
// and per multi-shot profile its history and its run. Everything here runs on
// the user-interface thread; it reads the settings records of the main window
// as they are at each call, and writes only the capture record's target, which
// it clears when the window is gone.
class CaptureController {
 public:
  CaptureController(std::shared_ptr<PipelineState> state, ScreenGrabPort& grab, ClockPort& clock,
                    MessageBoxPort& messages, const ShotSettings& shots, CaptureSettings& capture,
                    const SaveSettings& save, const GeneralSettings& general);

  // Grabs the capture rectangle of `capture`'s target into `picture`; clears the
  // target when it is gone. True when the grab was made.
  bool GrabArea(std::shared_ptr<const Picture>& picture, CaptureSettings& capture, int bitDepth,
                bool showMessages);
  // The capture timer's work: grab, feed the histories, move pending frames.
  void CaptureTick();
  // The caller gives the single-shot press feedback first.
  void TakeSingleShot();
  // The caller gives the multi-shot press feedback first. `index` is a 0-based
  // profile index; an index outside the profiles is ignored. A press promises
  // only the room that the ConversionBuffer and the frames pending for every
  // profile leave, and that both buffers leave once the frames still waiting
  // to be written are counted too; the frames it cannot promise are refused aloud.
  void TriggerMultiShot(size_t index);
  // At exit: queues the pending frames the histories hold and ends every run.
  // Returns the pending frames that were never captured.
  uint32_t FlushPending();

  // Copies the settings the workers read into the shared state when they have
  // changed; the tick and the triggers do it too.
  void SyncWorkerSettings();

  // Frames held by profile `index`'s history.
  size_t HistorySize(size_t index) const;
  // The run of profile `index`, which must be a profile's (0-based).
  MultiShotRun& Run(size_t index);
  const std::shared_ptr<PipelineState>& State() const { return state_; }

 private:
  // Shared copies of a profile's folder and pattern, renewed when the text changes.
  struct ProfileTexts {
    SharedText folder;
    SharedText pattern;
  };
  void SizeProfiles();
  // Moves up to the run's pending frames from the front of `history` into the
  // ConversionBuffer; true when it found the buffer empty.
  bool MovePending(FrameQueue& history, MultiShotRun& run);
  const ProfileTexts& TextsOf(size_t index, const MultiShotProfile& profile);

  std::shared_ptr<PipelineState> state_;
  ScreenGrabPort& grab_;
  ClockPort& clock_;
  MessageBoxPort& messages_;
  const ShotSettings& shots_;
  CaptureSettings& capture_;
  const SaveSettings& save_;
  const GeneralSettings& general_;

  std::vector<FrameQueue> histories_;  // one per multi-shot profile
  std::vector<MultiShotRun> runs_;     // one per multi-shot profile
  std::vector<ProfileTexts> texts_;    // one per multi-shot profile
  ProfileTexts singleTexts_;
  WorkerSettings published_;
  bool publishedOnce_ = false;
  // The target gone or hidden: the capture timer fires inside the message's loop.
  ExclusiveMessage grabMessage_;
  // Presses refused for want of room: a held hotkey repeats inside the box's loop.
  ExclusiveMessage bufferFullMessage_;
};

}  // namespace lorik
