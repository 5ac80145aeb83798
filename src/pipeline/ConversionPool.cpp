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
void ConvertFrame(PipelineState& state, CapturedFrame frame) {
  const WorkerSettings settings = state.Settings();
  const PipelinePorts& ports = state.ports;
  auto slot = std::make_shared<StreamSlot>();
  frame.encoded = slot;

  bool encoded = false;
  if (!IsEncodableImageType(settings.imageType)) {
    ports.messages->Show(kUnknownType, L"", mb::kIconError);
  } else if (frame.picture) {
    // An exception (an allocation failure, say) costs this frame, with its
    // message, and never the worker or the process.
    try {
      slot->image =
          ports.encoder->Encode(*frame.picture, static_cast<ImageType>(settings.imageType));
    } catch (const std::exception&) {
      slot->image.reset();
    }
    encoded = slot->image.has_value();
  }

  if (encoded) {
    try {
      std::lock_guard lock(state.saveLock);
      state.saveBuffer.push_back(frame);
      state.saveCount.store(static_cast<uint32_t>(state.saveBuffer.size()));
      state.convertingCount.fetch_sub(1);
    } catch (const std::exception&) {
      encoded = false;
    }
  }
  if (!encoded) {
    state.convertingCount.fetch_sub(1);
    // Past the exit's count the frame is reported there instead.
    if (state.Settle()) {
      // A path too long to write still names the frame well enough here.
      const ImageFilename name = FramePath(state, frame, settings.imageType);
      ports.messages->Show(kEncodeFailed + name.path, L"", mb::kIconError);
    }
  }
  // Signalled after a failure too: the save worker may have frames waiting.
  if (state.saveCount.load() > 0) state.WakeSaver();
}

}  // namespace

void ConvertThread(std::shared_ptr<PipelineState> state,
                   std::shared_ptr<const std::atomic<bool>> stopConvert) {
  state->ports.trace->Write("Convert thread started.\n");
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
  state->ports.trace->Write("Conv thread stopped.\n");
}

ConversionPool::ConversionPool(std::shared_ptr<PipelineState> state, ThreadLauncher launch)
    : state_(std::move(state)), launch_(std::move(launch)) {}

ConversionPool::~ConversionPool() {
  if (stopConvert_) stopConvert_->store(true);
  if (!workers_.empty()) state_->WakeConverters(true);
  for (WorkerThread& worker : workers_) worker.Abandon();
}

size_t ConversionPool::StopWorkers(std::chrono::milliseconds wait, bool report,
                                   bool supressErrorDialog) {
  stopConvert_->store(true);
  state_->WakeConverters(true);
  size_t abandoned = 0;
  for (WorkerThread& worker : workers_) {
    if (worker.WaitFor(wait)) continue;
    ++abandoned;
    if (report && !supressErrorDialog) {
      state_->ports.messages->Show(kStopFailed, kAppName, mb::kIconExclamation);
    }
    worker.Abandon();
  }
  workers_.clear();
  return abandoned;
}

bool ConversionPool::Apply(int32_t threadNumber, bool supressErrorDialog) {
  const size_t wanted = threadNumber > 0 ? static_cast<size_t>(threadNumber) : 0;
  TracePort& trace = *state_->ports.trace;
  if (stopConvert_ && workers_.size() == wanted) return true;
  if (!workers_.empty()) {
    trace.Write("Stopping convert threads...\n");
    StopWorkers(restartWait, true, supressErrorDialog);
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

void ConversionPool::Stop() {
  if (workers_.empty()) return;
  TracePort& trace = *state_->ports.trace;
  trace.Write("Stopping convert thread...\n");
  StopWorkers(stopWait, false, false);
  trace.Write("All convert thread stopped.\n");
}

}  // namespace lorik
