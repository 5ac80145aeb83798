#include "pipeline/SaveWorker.h"

#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "core/AppName.h"
#include "pipeline/FramePath.h"
#include "platform/FileStore.h"
#include "platform/MessageBox.h"
#include "platform/Trace.h"

namespace lorik {
namespace {

constexpr wchar_t kFolderFailed[] = L"フォルダの作成に失敗しました：";
constexpr wchar_t kFileFailed[] = L"ファイルの保存に失敗しました：";
constexpr wchar_t kPathTooLong[] = L"保存先のパスが長すぎます：";
constexpr wchar_t kStartFailed[] = L"保存スレッドの開始に失敗しました。終了します。";

}  // namespace

bool SaveFrame(PipelineState& state, const CapturedFrame& frame) {
  const WorkerSettings settings = state.Settings();
  const PipelinePorts& ports = state.ports;
  const ImageFilename name = FramePath(state, frame, settings.imageType);
  if (name.status == ImageFilenameStatus::TooLong) {
    ports.messages->Show(kPathTooLong + name.path, kAppName, mb::kIconError);
    return false;
  }
  const std::wstring* path = &name.path;
  const std::wstring folder = FolderOfPath(*path);
  // An empty folder part names no folder at all, whatever the platform would
  // make of it.
  if (folder.empty() || !ports.files->Exists(folder)) {
    if (folder.empty() || !ports.files->CreateFolder(folder)) {
      ports.messages->Show(kFolderFailed + folder, kAppName, mb::kIconError);
      return false;
    }
  }
  state.SetLastSavedFolder(folder);

  std::unique_ptr<WritableFile> file = ports.files->Create(*path);
  if (!file) {
    ports.messages->Show(kFileFailed + *path, kAppName, mb::kIconError);
    return false;
  }
  const bool hasImage = frame.encoded && frame.encoded->image;
  if (!hasImage || !file->WriteAll(frame.encoded->image->bytes)) {
    file.reset();  // what was written stays
    ports.messages->Show(kFileFailed + *path, kAppName, mb::kIconError);
    return false;
  }
  if (settings.useDiskCache) file->Commit();
  file.reset();

  state.SetLastSaved({frame.profileNo, frame.captureTime});
  if (ports.thumbnail) ports.thumbnail->SetPicture(frame.picture);
  return true;
}

void SaveThread(std::shared_ptr<PipelineState> state) {
  state->ports.trace->Write("Save thread started.\n");
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
      SaveFrame(*state, frame);
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

void SaveWorker::Stop() {
  if (!thread_.Started()) return;
  state_->ports.trace->Write("Stopping save thread...\n");
  state_->stopSave.store(true);
  state_->WakeSaver();
  if (!thread_.WaitFor(stopWait)) thread_.Abandon();
  state_->ports.trace->Write("All save thread stopped.\n");
}

}  // namespace lorik
