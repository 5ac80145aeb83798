#include "pipeline/PipelineState.h"

#include <string>
#include <thread>
#include <utility>

#include "core/AppName.h"
#include "platform/MessageBox.h"
#include "platform/Poster.h"
#include "platform/Trace.h"

namespace lorik {

PipelineState::~PipelineState() = default;

bool PipelineState::AppendForConversion(CapturedFrame frame) {
  // Counted before a worker can take it, and outside conversionLock: no path
  // holds two locks.
  Enqueued(1);
  std::lock_guard lock(conversionLock);
  const bool wasEmpty = conversionBuffer.empty();
  conversionBuffer.push_back(std::move(frame));
  conversionCount.store(static_cast<uint32_t>(conversionBuffer.size()));
  return wasEmpty;
}

void PipelineState::Enqueued(uint32_t frames) {
  std::lock_guard lock(outcomeLock_);
  unsettled_ += frames;
}

bool PipelineState::Claim() {
  std::lock_guard lock(outcomeLock_);
  if (closed_) return false;
  ++inFlight_;
  return true;
}

bool PipelineState::Settle(bool claimed) {
  bool settled = false;
  {
    std::lock_guard lock(outcomeLock_);
    if (claimed && inFlight_ > 0) --inFlight_;
    // A claimed frame settles while the exit waits for it; any other only
    // while the books are open.
    if (claimed ? !counted_ : !closed_) {
      if (unsettled_ > 0) --unsettled_;
      settled = true;
    }
  }
  settled_.notify_all();
  return settled;
}

void PipelineState::SetReportWindow(WindowHandle window) {
  reportWindow_.store(window.value);
}

void PipelineState::ReportSaveFailure(SaveFailure cause, const std::wstring& named,
                                      const std::wstring& folder, const std::wstring& savedTo) {
  saveReports.Add(cause, named, folder, savedTo);
  const WindowHandle window{reportWindow_.load()};
  if (window && ports.poster) ports.poster->Post(window, kSaveReportMessage);
}

void PipelineState::ReportShotSaved() {
  const WindowHandle window{reportWindow_.load()};
  if (window && ports.poster) ports.poster->Post(window, kShotSavedMessage);
}

uint32_t PipelineState::Unsettled() const {
  std::lock_guard lock(outcomeLock_);
  return unsettled_;
}

bool PipelineState::WaitSettled(std::chrono::milliseconds timeout) {
  std::unique_lock lock(outcomeLock_);
  return settled_.wait_for(lock, timeout, [&] { return unsettled_ == 0; });
}

uint32_t PipelineState::CloseForExit(std::chrono::milliseconds inFlightWait) {
  std::unique_lock lock(outcomeLock_);
  closed_ = true;
  settled_.wait_for(lock, inFlightWait, [&] { return inFlight_ == 0; });
  counted_ = true;
  return unsettled_;
}

void PipelineState::WakeConverters(bool all) {
  { std::lock_guard lock(convertWakeLock); }
  if (all) {
    convertWake.notify_all();
  } else {
    convertWake.notify_one();
  }
}

void PipelineState::WakeSaver() {
  { std::lock_guard lock(saveWakeLock); }
  saveWake.notify_all();
}

WorkerSettings PipelineState::Settings() const {
  std::lock_guard lock(settingsLock_);
  return settings_;
}

void PipelineState::PublishSettings(const WorkerSettings& settings) {
  std::lock_guard lock(settingsLock_);
  settings_ = settings;
}

std::wstring PipelineState::LastSavedFolder() const {
  std::lock_guard lock(lastSavedLock_);
  return lastSavedFolder_;
}

void PipelineState::SetLastSavedFolder(const std::wstring& folder) {
  std::lock_guard lock(lastSavedLock_);
  lastSavedFolder_ = folder;
}

LastSavedShot PipelineState::LastSaved() const {
  std::lock_guard lock(lastSavedLock_);
  return lastSaved_;
}

void PipelineState::SetLastSaved(const LastSavedShot& shot) {
  std::lock_guard lock(lastSavedLock_);
  lastSaved_ = shot;
}

void RunWorkerLoop(PipelineState& state, const char* name, const std::function<void()>& loop) {
  bool told = false;
  for (;;) {
    try {
      loop();
      return;
    } catch (...) {
      try {
        state.ports.trace->Write(std::string(name) + " thread caught an exception.\n");
        if (!told) {
          told = true;
          state.ports.messages->Show(std::string_view(name) == "Save"
                                         ? L"保存スレッドで予期しないエラーが発生しました"
                                         : L"変換スレッドで予期しないエラーが発生しました",
                                     kAppName, mb::kIconError);
        }
      } catch (...) {
        // Nothing more can be said; the loop goes on.
      }
      // A failure that repeats at once must not spin a core.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

}  // namespace lorik
