#include "pipeline/SaveWorker.h"

#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <utility>

#include "core/AppName.h"
#include "core/Path.h"
#include "pipeline/FramePath.h"
#include "platform/FileStore.h"
#include "platform/MessageBox.h"
#include "platform/Trace.h"
#include "settings/SaveFolder.h"

namespace lorik {
namespace {

constexpr wchar_t kStartFailed[] = L"保存スレッドの開始に失敗しました。終了します。";

// A name for the bytes while they are written, in the frame's folder so that
// the rename is a move within one volume. Other instances may write there
// too, so a name is only used once it could be created new.
std::unique_ptr<WritableFile> CreateTemporary(FileStorePort& files, const std::wstring& folder,
                                              std::wstring& name) {
  static std::atomic<uint32_t> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t hex[9];
    const uint32_t n = counter.fetch_add(1);
    for (int i = 7; i >= 0; --i) hex[7 - i] = L"0123456789abcdef"[(n >> (4 * i)) & 0xF];
    hex[8] = 0;
    name = folder + L"\\~lorik" + hex + L".tmp";
    if (auto file = files.CreateNew(name)) return file;
    if (!files.Exists(name)) return nullptr;  // not a clash: the folder refuses files
  }
  return nullptr;
}

// Gives the written file its final name; a name that is taken gets " (2)",
// " (3)" and so on, so no frame replaces another. Empty when no name could be given.
std::wstring GiveFinalName(FileStorePort& files, const std::wstring& temporary,
                           const std::wstring& path) {
  std::wstring name = path;
  for (int n = 2; n < 10000; ++n) {
    if (files.Rename(temporary, name)) return name;
    if (!files.Exists(name)) return {};
    name = PathWithNumber(path, n);
    if (name.size() >= kMaxPathChars) return {};
  }
  return {};
}

// The one end of the frame being written: settled once, as a file or as a
// failure, unless the exit has counted it first.
class FrameEnd {
 public:
  explicit FrameEnd(PipelineState& state) : state_(state) {}
  bool Ended() const { return ended_; }
  // The exit counted the frame: it ends there.
  void Counted() { ended_ = true; }
  // Claimed once, before the first final name is given.
  bool Claim() {
    if (!claimed_) claimed_ = state_.Claim();
    return claimed_;
  }
  void Saved() {
    if (!ended_) state_.Settle(claimed_);
    ended_ = true;
  }
  // Settles a frame that failed where it was asked and says where it went.
  void Failed(SaveFailure cause, const std::wstring& named, const std::wstring& folder,
              const std::wstring& savedTo) {
    if (ended_) return;
    ended_ = true;
    if (state_.Settle(claimed_)) state_.ReportSaveFailure(cause, named, folder, savedTo);
  }

 private:
  PipelineState& state_;
  bool claimed_ = false;
  bool ended_ = false;
};

// How one attempt to write a frame's bytes into a folder ended.
enum class Written { Yes, FolderFailed, FileFailed, Counted };

// Writes `bytes` as `path` in `folder`: the folder made when missing, the bytes
// under a temporary name, and the final name given only when every step has
// worked, so a file under its final name is always complete, also when the
// program ends half-way. `saved` gets the name the file was given.
Written WriteInto(PipelineState& state, FrameEnd& end, std::span<const uint8_t> bytes,
                  const std::wstring& folder, const std::wstring& path, bool useDiskCache,
                  std::wstring& saved) {
  FileStorePort& files = *state.ports.files;
  if (folder.empty() || (!files.IsFolder(folder) && !files.CreateFolder(folder)))
    return Written::FolderFailed;
  // Removes the temporary file on every way out but the rename, an exception
  // included; declared before the file, so the file is closed first.
  struct Temporary {
    FileStorePort& files;
    std::wstring name;
    bool renamed = false;
    ~Temporary() {
      if (!name.empty() && !renamed) files.Remove(name);
    }
  } temporary{files, {}};
  std::unique_ptr<WritableFile> file = CreateTemporary(files, folder, temporary.name);
  if (!file) return Written::FileFailed;
  bool written = file->WriteAll(bytes);
  // Without the disk cache the bytes reach the disk before the file gets its
  // final name; with it, the system's cache is trusted, as the option says.
  if (written && !useDiskCache) written = file->Flush();
  written = file->Close() && written;
  file.reset();
  if (!written) return Written::FileFailed;
  // Past the exit's count the frame must not become a file.
  if (!end.Claim()) return Written::Counted;
  saved = GiveFinalName(files, temporary.name, path);
  if (saved.empty()) return Written::FileFailed;
  temporary.renamed = true;
  return Written::Yes;
}

void Publish(PipelineState& state, const CapturedFrame& frame, const std::wstring& saved) {
  state.SetLastSaved({frame.profileNo, frame.captureTime});
  if (state.ports.thumbnail) state.ports.thumbnail->SetPicture(frame.picture);
  const bool ended =
      state.lastShot.Add(frame.profileNo, frame.startTime, {saved, frame.captureTime});
  // The end itself is told after the frame that ends the shot; a file after
  // it (finished late by another conversion worker) is told as well.
  if (ended && frame.profileNo != 0) state.ReportShotSaved();
}

// Writes one frame into its folder or, when that fails, into the default
// folder under the same name; settles it and reports what failed.
void SaveFrame(PipelineState& state, const CapturedFrame& frame, FrameEnd& end) {
  const WorkerSettings settings = state.Settings();
  const std::wstring& defaultFolder = state.ports.defaultFolder;
  const ImageFilename name = FramePath(state, frame, settings.imageType);
  const std::wstring folder = FolderOfPath(name.path);
  if (!frame.encoded || !frame.encoded->image) {
    return end.Failed(SaveFailure::File, name.path, folder, {});
  }
  const std::span<const uint8_t> bytes = frame.encoded->image->bytes;

  SaveFailure cause = SaveFailure::File;
  std::wstring named = name.path;
  std::wstring saved;
  if (name.status == ImageFilenameStatus::TooLong) {
    cause = SaveFailure::TooLong;
  } else if (name.status == ImageFilenameStatus::Ok) {
    switch (WriteInto(state, end, bytes, folder, name.path, settings.useDiskCache, saved)) {
      case Written::Yes:
        state.SetLastSavedFolder(folder);
        end.Saved();
        return Publish(state, frame, saved);
      case Written::Counted:
        return end.Counted();
      case Written::FolderFailed:
        cause = SaveFailure::Folder;
        named = folder;
        break;
      case Written::FileFailed:
        break;
    }
  }

  // The picture is not lost because of its folder: the default folder takes
  // it under the same name, unless that is where it failed already.
  const std::wstring leaf = FallbackFileName(name.path);
  if (defaultFolder.empty() || SameFolder(folder, defaultFolder) || leaf.empty())
    return end.Failed(cause, named, folder, {});
  const std::wstring fallback = defaultFolder + L"\\" + leaf;
  if (fallback.size() >= kMaxPathChars) return end.Failed(cause, named, folder, {});
  switch (WriteInto(state, end, bytes, defaultFolder, fallback, settings.useDiskCache, saved)) {
    case Written::Yes:
      state.SetLastSavedFolder(defaultFolder);
      end.Failed(cause, named, folder, defaultFolder);
      return Publish(state, frame, saved);
    case Written::Counted:
      return end.Counted();
    case Written::FolderFailed:
    case Written::FileFailed:
      return end.Failed(cause, named, folder, {});
  }
}

void ReportLostFrame(PipelineState& state, const CapturedFrame& frame, FrameEnd& end) {
  std::wstring path;
  try {
    path = FramePath(state, frame, state.Settings().imageType).path;
  } catch (...) {
    path = frame.folder.str();
  }
  end.Failed(SaveFailure::File, path, FolderOfPath(path), {});
}

void SaveLoop(const std::shared_ptr<PipelineState>& state) {
  std::unique_lock wake(state->saveWakeLock);
  for (;;) {
    // The count is looked at under the wake lock, so frames appended while the
    // worker was writing, or before it first slept, are never left waiting.
    state->saveWake.wait(wake,
                         [&] { return state->stopSave.load() || state->saveCount.load() > 0; });
    if (state->stopSave.load()) break;
    wake.unlock();
    bool stopped = false;
    for (;;) {
      CapturedFrame frame;
      {
        std::lock_guard lock(state->saveLock);
        if (state->saveBuffer.empty()) break;
        if (state->stopSave.load()) {
          stopped = true;  // the remaining frames are not written
          break;
        }
        // Only this worker removes frames, so the front stays while it is written.
        frame = state->saveBuffer.front();
      }
      FrameEnd end(*state);
      try {
        SaveFrame(*state, frame, end);
      } catch (...) {
        // An allocation failure, say: this frame is lost and said so, unless
        // it has ended already; the worker goes on with the next.
        if (!end.Ended()) ReportLostFrame(*state, frame, end);
      }
      if (frame.endsShot && state->lastShot.End(frame.profileNo, frame.startTime))
        state->ReportShotSaved();
      frame = CapturedFrame{};
      CapturedFrame removed;
      {
        std::lock_guard lock(state->saveLock);
        removed = state->saveBuffer.pop_front();
        state->saveCount.store(static_cast<uint32_t>(state->saveBuffer.size()));
      }
      // `removed` releases the frame's picture and encoded image here, outside the lock.
    }
    if (stopped) break;
    wake.lock();
  }
  if (wake.owns_lock()) wake.unlock();
}

}  // namespace

void SaveThread(std::shared_ptr<PipelineState> state) {
  state->ports.trace->Write("Save thread started.\n");
  RunWorkerLoop(*state, "Save", [&] { SaveLoop(state); });
  state->ports.trace->Write("Save thread stopped.\n");
}

SaveWorker::SaveWorker(std::shared_ptr<PipelineState> state, ThreadLauncher launch)
    : state_(std::move(state)), launch_(std::move(launch)) {}

SaveWorker::~SaveWorker() {
  if (thread_.Started()) {
    state_->stopSave.store(true);
    state_->WakeSaver();
  }
  thread_.Abandon();
}

bool SaveWorker::Start() {
  TracePort& trace = *state_->ports.trace;
  trace.Write("Starting save thread...\n");
  try {
    thread_ = WorkerThread(launch_, [state = state_] { SaveThread(state); });
  } catch (const std::system_error&) {
    state_->ports.messages->Show(kStartFailed, L"", mb::kOk);
    return false;
  }
  trace.Write("All save thread has started successfully.\n");
  return true;
}

void SaveWorker::Stop(std::optional<std::chrono::steady_clock::time_point> deadline) {
  if (!thread_.Started()) return;
  state_->ports.trace->Write("Stopping save thread...\n");
  state_->stopSave.store(true);
  state_->WakeSaver();
  if (!thread_.WaitUntil(deadline.value_or(std::chrono::steady_clock::now() + stopWait))) {
    thread_.Abandon();
  }
  state_->ports.trace->Write("All save thread stopped.\n");
}

}  // namespace lorik
