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
#include "core/WindowHandle.h"
#include "pipeline/CapturedFrame.h"
#include "pipeline/LastShot.h"
#include "pipeline/SaveReports.h"
#include "platform/Picture.h"
#include "platform/ThumbnailSink.h"

namespace lorik {

class ImageEncoderPort;
class FileStorePort;
class MessageBoxPort;
class MessagePosterPort;
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
  // Where a frame goes whose folder is empty, and where one goes that cannot
  // be written into its own folder.
  std::wstring defaultFolder;
  // Tells the main window that save failures wait to be shown; may be null.
  std::shared_ptr<MessagePosterPort> poster;
};

// The message the save worker posts to the main window when a save failure
// waits in `PipelineState::saveReports`.
inline constexpr uint32_t kSaveReportMessage = 0x8000 + 1;  // WM_APP + 1

// The message the save worker posts to the main window when a file of a
// multi shot whose last frame has been handled was written (`lastShot`).
inline constexpr uint32_t kShotSavedMessage = 0x8000 + 3;  // WM_APP + 3

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
  // A worker claims a frame before it gives the file its final name, does the
  // file work outside the lock (a slow folder must not hold up the capture
  // tick, which takes the lock for every frame it queues), and settles it
  // after. False once the exit has closed the books: the frame is counted
  // there and must become neither a file nor a message.
  bool Claim();
  // Settles one frame, `claimed` or not; false when the exit counted it
  // first. A failure is reported only after a true.
  bool Settle(bool claimed = false);
  // Frames queued whose end is not settled yet.
  uint32_t Unsettled() const;
  // Waits up to `timeout` for every queued frame to be settled; true when they are.
  bool WaitSettled(std::chrono::milliseconds timeout);
  // Closes the books at exit: no frame can be claimed from now on, the
  // claimed ones get up to `inFlightWait` to settle, and the frames not
  // settled then are returned: from now on they are neither written nor
  // reported by the workers. A claimed frame whose rename outlasts the wait
  // is counted here too, as still in flight, whatever becomes of it.
  uint32_t CloseForExit(std::chrono::milliseconds inFlightWait = std::chrono::milliseconds(500));
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

  // Save failures waiting for the user; the worker adds through ReportSaveFailure.
  SaveReports saveReports;
  // The window told of new save failures; null: nobody (before the main
  // window exists and after it has gone).
  void SetReportWindow(WindowHandle window);
  // Adds the failure and tells the report window, without waiting.
  void ReportSaveFailure(SaveFailure cause, const std::wstring& named, const std::wstring& folder,
                         const std::wstring& savedTo);

  // The files of the newest shot, for the review window.
  LastShotLog lastShot;
  // Tells the report window that a multi shot's files are written.
  void ReportShotSaved();

 private:
  mutable std::mutex outcomeLock_;
  std::condition_variable settled_;
  uint32_t unsettled_ = 0;  // guarded by outcomeLock_
  uint32_t inFlight_ = 0;   // claimed and not settled; guarded by outcomeLock_
  bool closed_ = false;     // no more claims; guarded by outcomeLock_
  bool counted_ = false;    // the exit has counted what is unsettled; guarded by outcomeLock_
  mutable std::mutex settingsLock_;
  WorkerSettings settings_;
  std::atomic<uintptr_t> reportWindow_{0};
  mutable std::mutex lastSavedLock_;
  std::wstring lastSavedFolder_;
  LastSavedShot lastSaved_;
};

// Runs a worker's loop until it returns. An exception that escapes the loop,
// past its own handling of each frame, must not end the process: it is traced,
// the first one of the worker is said in a message, and the loop runs again.
// `name` is the worker's, "Save" or "Convert".
void RunWorkerLoop(PipelineState& state, const char* name, const std::function<void()>& loop);

}  // namespace lorik
