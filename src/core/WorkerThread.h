#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace lorik {

// Starts a thread; throws std::system_error when it cannot. Tests replace it.
using ThreadLauncher = std::function<std::thread(std::function<void()>)>;
ThreadLauncher DefaultThreadLauncher();

// A worker thread whose end can be awaited for a bounded time. A worker that
// does not end in time is abandoned, never killed: it holds shares of all it
// touches and ends by itself at its next look at its stop flag.
class WorkerThread {
 public:
  WorkerThread() = default;
  // Throws std::system_error when the thread cannot be started.
  WorkerThread(const ThreadLauncher& launch, std::function<void()> body);
  WorkerThread(WorkerThread&&) noexcept = default;
  WorkerThread& operator=(WorkerThread&&) noexcept;
  ~WorkerThread();

  bool Started() const { return thread_.joinable(); }
  // Waits up to `timeout` for the body to return; true (and joined) when it did.
  bool WaitFor(std::chrono::milliseconds timeout);
  // Waits until `deadline` at the latest; true (and joined) when the body returned.
  bool WaitUntil(std::chrono::steady_clock::time_point deadline);
  // Lets the thread end on its own.
  void Abandon();

 private:
  struct Completion {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
  };
  std::shared_ptr<Completion> completion_;
  std::thread thread_;
};

}  // namespace lorik
