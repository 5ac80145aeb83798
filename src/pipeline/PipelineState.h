#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "core/SystemTime.h"
#include "pipeline/CapturedFrame.h"
#include "platform/Picture.h"
#include "platform/ThumbnailSink.h"

namespace lorik {

class ImageEncoderPort;
class FileStorePort;
class MessageBoxPort;
class TracePort;

// What the workers call. Held by shared ownership so that a worker left to end
// on its own after a restart or at exit never reaches a destroyed object.
struct PipelinePorts {
  std::shared_ptr<ImageEncoderPort> encoder;
  std::shared_ptr<FileStorePort> files;
  std::shared_ptr<MessageBoxPort> messages;
  std::shared_ptr<TracePort> trace;
  std::shared_ptr<ThumbnailSink> thumbnail;  // may be null: no thumbnail
  // The process's current directory, which relative folders are placed under
  // when a file is named; null reads as empty.
  std::function<std::wstring()> currentDirectory;
};

// The settings the workers read. The user-interface thread replaces the
// settings records whole; workers take this copy, under its lock, per frame.
struct WorkerSettings {
  int32_t imageType = 0;            // "Image type" of SaveSettings
  bool useDiskCache = false;        // "Use disk cache" of SaveSettings
  bool supressErrorDialog = false;  // "Supress error dialog" of GeneralSettings
  friend bool operator==(const WorkerSettings&, const WorkerSettings&) = default;
};

// What the status line shows about the last frame written.
struct LastSavedShot {
  int32_t profileNo = 0;   // profileNo of the last frame written successfully
  SystemTime captureTime;  // its captureTime
  friend bool operator==(const LastSavedShot&, const LastSavedShot&) = default;
};

// Buffers, locks, wake-ups and published results of the capture pipeline. The
// main window and every worker hold a share of it. No code holds two of its
// locks at once.
class PipelineState {
 public:
  explicit PipelineState(PipelinePorts ports) : ports(std::move(ports)) {}
  ~PipelineState();
  PipelineState(const PipelineState&) = delete;
  PipelineState& operator=(const PipelineState&) = delete;

  const PipelinePorts ports;

  std::mutex conversionLock;
  FrameQueue conversionBuffer;               // guarded by conversionLock
  std::atomic<uint32_t> conversionCount{0};  // its size; written under conversionLock
  std::mutex saveLock;
  FrameQueue saveBuffer;               // guarded by saveLock; the front is being written
  std::atomic<uint32_t> saveCount{0};  // its size; written under saveLock
  // Frames taken by a conversion worker and not yet in the SaveBuffer or dropped.
  // Raised before the ConversionBuffer count falls and lowered after the
  // SaveBuffer count rises, so a frame is always counted somewhere.
  std::atomic<uint32_t> convertingCount{0};

  // No frame queued, being encoded or being written.
  bool Idle() const {
    return conversionCount.load() == 0 && convertingCount.load() == 0 && saveCount.load() == 0;
  }

  // A worker looks at its buffer count and stop flag under its wake lock before
  // it sleeps, and a producer takes the wake lock between its append and its
  // signal, so no signal falls between a worker's look and its sleep.
  std::mutex convertWakeLock;
  std::condition_variable convertWake;
  std::mutex saveWakeLock;
  std::condition_variable saveWake;
  std::atomic<bool> stopSave{false};

  // Appends one frame to the ConversionBuffer; true when it was empty before.
  bool AppendForConversion(CapturedFrame frame);

  // Every frame that enters the ConversionBuffer ends exactly once: as a file
  // under its final name, as a message, or counted in the exit report. Its end
  // is settled here, and the exit closes the books under the same lock, so a
  // frame counted as not saved can no longer become a file or a message.
  //
  // Counts `frames` more frames queued for conversion.
  void Enqueued(uint32_t frames);
  // Runs `finish` (the rename that gives a file its final name, say) and
  // settles one frame; false, without running it, once the exit has counted
  // the unsettled frames. A failure's message is shown only after a true.
  template <class Finish>
  bool Settle(Finish&& finish) {
    {
      std::lock_guard lock(outcomeLock_);
      if (closed_) return false;
      std::forward<Finish>(finish)();
      if (unsettled_ > 0) --unsettled_;
    }
    settled_.notify_all();
    return true;
  }
  bool Settle() {
    return Settle([] {});
  }
  // Frames queued whose end is not settled yet.
  uint32_t Unsettled() const;
  // Waits up to `timeout` for every queued frame to be settled; true when they are.
  bool WaitSettled(std::chrono::milliseconds timeout);
  // Closes the books at exit: returns the frames not settled, which from now
  // on are neither written nor reported by the workers.
  uint32_t CloseForExit();
  // Signals the conversion workers: all of them, or one.
  void WakeConverters(bool all);
  // Signals the save worker.
  void WakeSaver();

  WorkerSettings Settings() const;
  void PublishSettings(const WorkerSettings& settings);

  // Folder of the frame the save worker last processed, empty before the first.
  std::wstring LastSavedFolder() const;
  void SetLastSavedFolder(const std::wstring& folder);
  LastSavedShot LastSaved() const;
  void SetLastSaved(const LastSavedShot& shot);

 private:
  mutable std::mutex outcomeLock_;
  std::condition_variable settled_;
  uint32_t unsettled_ = 0;  // guarded by outcomeLock_
  bool closed_ = false;     // guarded by outcomeLock_
  mutable std::mutex settingsLock_;
  WorkerSettings settings_;
  mutable std::mutex lastSavedLock_;
  std::wstring lastSavedFolder_;
  LastSavedShot lastSaved_;
};

}  // namespace lorik
