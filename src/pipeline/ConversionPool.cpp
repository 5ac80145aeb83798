#include "pipeline/ConversionPool.h"

#include <string>
#include <system_error>
#include <utility>

#include "core/AppName.h"
#include "core/ImageType.h"
#include "pipeline/FramePath.h"
#include "platform/ImageEncoder.h"
#include "platform/MessageBox.h"
#include "platform/Trace.h"

namespace lorik {
namespace {

constexpr wchar_t kUnknownType[] = L"不明な型で保存しようとしました";
constexpr wchar_t kEncodeFailed[] = L"画像の生成に失敗しました: ";
constexpr wchar_t kStopFailed[] =
    L"変換スレッドの停止に失敗しました。変換スレッドを強制再起動します。";
constexpr wchar_t kStartFailed[] = L"変換スレッドの開始に失敗しました。終了します。";

// Encodes one frame and hands it to the SaveBuffer, or reports and drops it.
// Any exception (an allocation failure, say) costs this frame, with its
// message, and never the worker or the process.
void ConvertFrame(PipelineState& state, CapturedFrame frame) {
  const WorkerSettings settings = state.Settings();
  const PipelinePorts& ports = state.ports;
  bool queued = false;
  try {
    if (!IsEncodableImageType(settings.imageType)) {
      ports.messages->Show(kUnknownType, L"", mb::kIconError);
    } else if (frame.picture) {
      auto slot = std::make_shared<StreamSlot>();
      frame.encoded = slot;
      slot->image =
          ports.encoder->Encode(*frame.picture, static_cast<ImageType>(settings.imageType));
      if (slot->image) {
        std::lock_guard lock(state.saveLock);
        state.saveBuffer.push_back(frame);
        state.saveCount.store(static_cast<uint32_t>(state.saveBuffer.size()));
        state.convertingCount.fetch_sub(1);
        queued = true;
      }
    }
  } catch (...) {
    queued = false;
  }
  if (!queued) {
    state.convertingCount.fetch_sub(1);
    // Past the exit's count the frame is reported there instead.
    if (state.Settle()) {
      try {
        // A path too long to write still names the frame well enough here.
        const ImageFilename name = FramePath(state, frame, settings.imageType);
        ports.messages->Show(kEncodeFailed + name.path, L"", mb::kIconError);
      } catch (...) {
        ports.trace->Write("A frame could not be encoded.\n");
      }
    }
  }
  // Signalled after a failure too: the save worker may have frames waiting.
  if (state.saveCount.load() > 0) state.WakeSaver();
}

void ConvertLoop(const std::shared_ptr<PipelineState>& state,
                 const std::shared_ptr<const std::atomic<bool>>& stopConvert) {
  std::unique_lock wake(state->convertWakeLock);
  for (;;) {
    // Looking at the count here, under the wake lock, keeps a worker from
    // sleeping on frames that were queued before it started or while it was busy.
    state->convertWake.wait(
        wake, [&] { return stopConvert->load() || state->conversionCount.load() > 0; });
    if (stopConvert->load()) break;
    wake.unlock();
    bool stopped = false;
    for (;;) {
      CapturedFrame frame;
      bool more = false;
      {
        std::lock_guard lock(state->conversionLock);
        if (state->conversionBuffer.empty()) break;
        if (stopConvert->load()) {
          stopped = true;  // the remaining frames stay queued
          break;
        }
        frame = state->conversionBuffer.pop_front();
        state->convertingCount.fetch_add(1);
        state->conversionCount.store(static_cast<uint32_t>(state->conversionBuffer.size()));
        more = !state->conversionBuffer.empty();
      }
      // Producers signal only when the buffer was empty; pass the work on so
      // that frames queued behind this one are encoded in parallel.
      if (more) state->convertWake.notify_one();
      ConvertFrame(*state, std::move(frame));
    }
    if (stopped) break;
    wake.lock();
  }
  if (wake.owns_lock()) wake.unlock();
}

}  // namespace

void ConvertThread(std::shared_ptr<PipelineState> state,
                   std::shared_ptr<const std::atomic<bool>> stopConvert) {
  state->ports.trace->Write("Convert thread started.\n");
  RunWorkerLoop(*state, "Convert", [&] { ConvertLoop(state, stopConvert); });
  state->ports.trace->Write("Conv thread stopped.\n");
}

ConversionPool::ConversionPool(std::shared_ptr<PipelineState> state, ThreadLauncher launch)
    : state_(std::move(state)), launch_(std::move(launch)) {}

ConversionPool::~ConversionPool() {
  if (stopConvert_) stopConvert_->store(true);
  if (!workers_.empty()) state_->WakeConverters(true);
  for (WorkerThread& worker : workers_) worker.Abandon();
}

size_t ConversionPool::StopWorkers(std::chrono::steady_clock::time_point deadline, bool report,
                                   bool supressErrorDialog) {
  stopConvert_->store(true);
  state_->WakeConverters(true);
  size_t abandoned = 0;
  // One deadline for all: with many workers the wait does not add up, at exit
  // and during a logoff too.
  for (WorkerThread& worker : workers_) {
    if (worker.WaitUntil(deadline)) continue;
    ++abandoned;
    worker.Abandon();
  }
  workers_.clear();
  if (abandoned > 0 && report && !supressErrorDialog) {
    state_->ports.messages->Show(kStopFailed, kAppName, mb::kIconExclamation);
  }
  return abandoned;
}

bool ConversionPool::Apply(int32_t threadNumber, bool supressErrorDialog) {
  const size_t wanted = threadNumber > 0 ? static_cast<size_t>(threadNumber) : 0;
  TracePort& trace = *state_->ports.trace;
  if (stopConvert_ && workers_.size() == wanted) return true;
  if (!workers_.empty()) {
    trace.Write("Stopping convert threads...\n");
    StopWorkers(std::chrono::steady_clock::now() + restartWait, true, supressErrorDialog);
    trace.Write("All convert thread stopped.\n");
  }
  workers_.clear();
  trace.Write("Starting convert thread...\n");
  stopConvert_ = std::make_shared<std::atomic<bool>>(false);
  for (size_t i = 0; i < wanted; ++i) {
    try {
      workers_.emplace_back(launch_,
                            [state = state_, stop = stopConvert_] { ConvertThread(state, stop); });
    } catch (const std::system_error&) {
      state_->ports.messages->Show(kStartFailed, kAppName, mb::kIconError);
      return false;
    }
  }
  trace.Write("All convert thread has started successfully.\n");
  return true;
}

void ConversionPool::Stop(std::optional<std::chrono::steady_clock::time_point> deadline) {
  if (workers_.empty()) return;
  TracePort& trace = *state_->ports.trace;
  trace.Write("Stopping convert thread...\n");
  StopWorkers(deadline.value_or(std::chrono::steady_clock::now() + stopWait), false, false);
  trace.Write("All convert thread stopped.\n");
}

}  // namespace lorik
