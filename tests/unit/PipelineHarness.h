#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/FakeClock.h"
#include "fakes/FakeFileStore.h"
#include "fakes/FakeImageEncoder.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakePoster.h"
#include "fakes/FakeScreenGrab.h"
#include "fakes/FakeTrace.h"
#include "pipeline/CaptureController.h"
#include "pipeline/ConversionPool.h"
#include "pipeline/PipelineState.h"
#include "pipeline/SaveWorker.h"
#include "settings/Settings.h"

namespace lorik {

// Keeps every picture the save worker hands over.
class RecordingThumbnail final : public ThumbnailSink {
 public:
  void SetPicture(std::shared_ptr<const Picture> picture) override {
    std::lock_guard lock(mutex_);
    pictures_.push_back(std::move(picture));
  }
  std::vector<std::shared_ptr<const Picture>> Pictures() const {
    std::lock_guard lock(mutex_);
    return pictures_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<const Picture>> pictures_;
};

// Settings as the program's defaults give them, with a target window and a
// small capture rectangle.
inline SettingsRecords DefaultPipelineSettings(size_t profiles) {
  SettingsRecords r;
  r.shot.singleShot.folder = L"D:\\single";
  r.shot.singleShot.format = L"S_%time%_%ms%";
  for (size_t i = 0; i < profiles; ++i) {
    MultiShotProfile p;
    p.folder = L"D:\\multi" + std::to_wstring(i + 1);
    p.format = L"M_%stime%_%time%_%ms%";
    p.numberOfSavedImageBeforeHotkey = 10;
    p.numberOfSavedImageAfterHotkey = 10;
    r.shot.multiShots.push_back(p);
  }
  r.save.imageType = 4;
  r.save.imageBitDepth = 24;
  r.save.conversionBuffSize = 50;
  r.save.saveBuffSize = 128;
  r.save.conversionThreadNumber = 1;
  r.save.useDiskCache = true;
  r.capture.targetWindow = WindowHandle{0x1234};
  r.capture.captureArea = Rect{0, 0, 4, 3};
  r.capture.periodBetweenEachCapture = 100;
  r.capture.showDialogOnLost = true;
  return r;
}

// The pipeline wired to fakes, as the main window wires it to the platform.
struct PipelineHarness {
  explicit PipelineHarness(size_t profiles = 1)
      : records(DefaultPipelineSettings(profiles)),
        state(std::make_shared<PipelineState>(
            PipelinePorts{encoder, files, messages, trace, thumbnail,
                          [] { return std::wstring(L"C:\\cwd"); }, kDefaultFolder, poster})),
        controller(state, grab, clock, uiMessages, records.shot, records.capture, records.save,
                   records.general),
        pool(state),
        saver(state) {
    files->AddFolder(L"D:");
    controller.SyncWorkerSettings();
    state->SetReportWindow(WindowHandle{0x4242});
  }
  ~PipelineHarness() {
    pool.Stop();
    saver.Stop();
  }

  // Ticks once, the clock moving one capture period first.
  void Tick(uint64_t ms = 100) {
    clock.Advance(ms);
    controller.CaptureTick();
  }

  static bool WaitUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  // The main window's part: shows the save failures the worker posted.
  void ShowReports() { state->saveReports.ShowPending(*messages); }

  // Waits until every queued frame has been written or dropped.
  bool Drained(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return WaitUntil([&] { return state->Idle(); }, timeout);
  }

  // Where frames of an empty folder, and frames their folder refuses, go.
  static constexpr wchar_t kDefaultFolder[] = L"P:\\Pictures\\Lorik";

  std::shared_ptr<FakePoster> poster = std::make_shared<FakePoster>();
  std::shared_ptr<FakeImageEncoder> encoder = std::make_shared<FakeImageEncoder>();
  std::shared_ptr<FakeFileStore> files = std::make_shared<FakeFileStore>();
  std::shared_ptr<FakeMessageBox> messages = std::make_shared<FakeMessageBox>();
  std::shared_ptr<FakeTrace> trace = std::make_shared<FakeTrace>();
  std::shared_ptr<RecordingThumbnail> thumbnail = std::make_shared<RecordingThumbnail>();
  FakeScreenGrab grab;
  FakeClock clock;
  FakeMessageBox uiMessages;
  SettingsRecords records;
  std::shared_ptr<PipelineState> state;
  CaptureController controller;
  ConversionPool pool;
  SaveWorker saver;
};

}  // namespace lorik
