#include "pipeline/SaveWorker.h"

#include <atomic>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "core/AppName.h"
#include "core/Path.h"
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

// The one end of the frame being written: a file under its final name or a
// message, unless the exit has counted the frame as not saved first.
class FrameEnd {
 public:
  explicit FrameEnd(PipelineState& state) : state_(state) {}
  // Runs `finish` as the frame's end; false, without running it, when the
  // frame has ended already or the exit has counted it.
  template <class Finish>
  bool Settle(Finish&& finish) {
    if (ended_) return false;
    ended_ = true;
    return state_.Settle(std::forward<Finish>(finish));
  }
  void Fail(const std::wstring& text) {
    if (Settle([] {})) state_.ports.messages->Show(text, kAppName, mb::kIconError);
  }

 private:
  PipelineState& state_;
  bool ended_ = false;
};

// Writes one frame and publishes it; reports and gives up the frame on failure.
void SaveFrame(PipelineState& state, const CapturedFrame& frame, FrameEnd& end) {
  const WorkerSettings settings = state.Settings();
  const PipelinePorts& ports = state.ports;
  const ImageFilename name = FramePath(state, frame, settings.imageType);
  if (name.status == ImageFilenameStatus::TooLong) return end.Fail(kPathTooLong + name.path);
  const std::wstring& path = name.path;
  if (name.status == ImageFilenameStatus::Refused) return end.Fail(kFileFailed + path);
  const std::wstring folder = FolderOfPath(path);
  // An empty folder part names no folder at all, whatever the platform would
  // make of it.
  if (folder.empty() || !ports.files->Exists(folder)) {
    if (folder.empty() || !ports.files->CreateFolder(folder)) {
      return end.Fail(kFolderFailed + folder);
    }
  }
  state.SetLastSavedFolder(folder);

  // The bytes go to a temporary name and move to the final one only when every
  // step has worked, so a file under its final name is always complete, also
  // when the program ends half-way.
  const bool hasImage = frame.encoded && frame.encoded->image;
  // Removes the temporary file on every way out but the rename, an exception
  // included; declared before the file, so the file is closed first.
  struct Temporary {
    FileStorePort& files;
    std::wstring name;
    bool renamed = false;
    ~Temporary() {
      if (!name.empty() && !renamed) files.Remove(name);
    }
  } temporary{*ports.files, {}};
  std::unique_ptr<WritableFile> file =
      hasImage ? CreateTemporary(*ports.files, folder, temporary.name) : nullptr;
  if (!file) return end.Fail(kFileFailed + path);
  bool written = file->WriteAll(frame.encoded->image->bytes);
  if (written && settings.useDiskCache) written = file->Commit();
  written = file->Close() && written;
  file.reset();
  if (!written) return end.Fail(kFileFailed + path);
  // The final name is given as the frame's end, so that the exit's count and
  // a file under its final name never both stand for it.
  std::wstring saved;
  if (!end.Settle([&] { saved = GiveFinalName(*ports.files, temporary.name, path); })) return;
  if (saved.empty()) {
    ports.messages->Show(kFileFailed + path, kAppName, mb::kIconError);
    return;
  }
  temporary.renamed = true;

  state.SetLastSaved({frame.profileNo, frame.captureTime});
  if (ports.thumbnail) ports.thumbnail->SetPicture(frame.picture);
}

void ReportLostFrame(PipelineState& state, const CapturedFrame& frame) {
  std::wstring path;
  try {
    path = FramePath(state, frame, state.Settings().imageType).path;
  } catch (const std::exception&) {
    path = frame.folder.str();
  }
  state.ports.messages->Show(kFileFailed + path, kAppName, mb::kIconError);
}

}  // namespace

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
      FrameEnd end(*state);
      try {
        SaveFrame(*state, frame, end);
      } catch (const std::exception&) {
        // An allocation failure, say: this frame is lost and said so, unless
        // it has ended already; the worker goes on with the next.
        if (end.Settle([] {})) ReportLostFrame(*state, frame);
      }
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
