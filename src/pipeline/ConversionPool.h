#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "pipeline/PipelineState.h"
#include "pipeline/WorkerThread.h"

namespace lorik {

// The procedure of one conversion worker: encodes frames of the ConversionBuffer
// in the image type current at each frame and passes them to the SaveBuffer,
// until `stopConvert` (the flag of its own pool generation) is set.
void ConvertThread(std::shared_ptr<PipelineState> state,
                   std::shared_ptr<const std::atomic<bool>> stopConvert);

// The N conversion workers. Runs on the user-interface thread.
class ConversionPool {
 public:
  explicit ConversionPool(std::shared_ptr<PipelineState> state,
                          ThreadLauncher launch = DefaultThreadLauncher());
  // Workers still running are left to end on their own.
  ~ConversionPool();
  ConversionPool(const ConversionPool&) = delete;
  ConversionPool& operator=(const ConversionPool&) = delete;

  // Makes `threadNumber` workers run, restarting the pool when the number
  // differs from the running one. False when a worker could not be started:
  // the message is shown and the caller ends the process.
  bool Apply(int32_t threadNumber, bool supressErrorDialog);
  // The shutdown stop: waits for the workers until `deadline`, all of them
  // together, never forces one. Without a deadline, `stopWait` from now.
  void Stop(std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);
  size_t Size() const { return workers_.size(); }

  // How long the workers are waited for, all together, on a restart and at shutdown.
  std::chrono::milliseconds restartWait{1000};
  std::chrono::milliseconds stopWait{500};

 private:
  // Signals the current generation to stop and waits for its workers until
  // `deadline`; returns the number that had not ended by then (they are
  // abandoned), reported in one message when `report`.
  size_t StopWorkers(std::chrono::steady_clock::time_point deadline, bool report,
                     bool supressErrorDialog);

  std::shared_ptr<PipelineState> state_;
  ThreadLauncher launch_;
  // Each generation of workers has its own flag, so that a worker abandoned by
  // a restart still sees its stop while the new workers run on.
  std::shared_ptr<std::atomic<bool>> stopConvert_;
  std::vector<WorkerThread> workers_;
};

}  // namespace lorik
