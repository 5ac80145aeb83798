#pragma once
#include <chrono>
#include <memory>
#include <optional>

#include "pipeline/PipelineState.h"
#include "pipeline/WorkerThread.h"

namespace lorik {

// The procedure of the save worker: writes the frames of the SaveBuffer in
// order, one file each, until `stopSave` is set.
void SaveThread(std::shared_ptr<PipelineState> state);

// The one save worker. Runs on the user-interface thread.
class SaveWorker {
 public:
  explicit SaveWorker(std::shared_ptr<PipelineState> state,
                      ThreadLauncher launch = DefaultThreadLauncher());
  // A worker still running is left to end on its own.
  ~SaveWorker();
  SaveWorker(const SaveWorker&) = delete;
  SaveWorker& operator=(const SaveWorker&) = delete;

  // False when the thread could not be started: the message is shown and the
  // caller ends the process.
  bool Start();
  // The shutdown stop: waits until `deadline` (without one, `stopWait` from
  // now), never forces the worker.
  void Stop(std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);
  bool Started() const { return thread_.Started(); }

  std::chrono::milliseconds stopWait{500};

 private:
  std::shared_ptr<PipelineState> state_;
  ThreadLauncher launch_;
  WorkerThread thread_;
};

}  // namespace lorik
