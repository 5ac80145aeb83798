#include "core/WorkerThread.h"

#include <utility>

namespace lorik {

ThreadLauncher DefaultThreadLauncher() {
  return [](std::function<void()> body) { return std::thread(std::move(body)); };
}

WorkerThread::WorkerThread(const ThreadLauncher& launch, std::function<void()> body)
    : completion_(std::make_shared<Completion>()) {
  thread_ = launch([completion = completion_, body = std::move(body)]() mutable {
    body();
    // Drop the body's shares before reporting the end, so a joined worker has
    // released everything.
    body = nullptr;
    std::lock_guard lock(completion->lock);
    completion->done = true;
    completion->ended.notify_all();
  });
}

WorkerThread& WorkerThread::operator=(WorkerThread&& other) noexcept {
  if (this != &other) {
    Abandon();
    completion_ = std::move(other.completion_);
    thread_ = std::move(other.thread_);
  }
  return *this;
}

WorkerThread::~WorkerThread() {
  Abandon();
}

bool WorkerThread::WaitFor(std::chrono::milliseconds timeout) {
  return WaitUntil(std::chrono::steady_clock::now() + timeout);
}

bool WorkerThread::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  if (!thread_.joinable()) return true;
  bool done;
  {
    std::unique_lock lock(completion_->lock);
    done = completion_->ended.wait_until(lock, deadline, [&] { return completion_->done; });
  }
  // Past its signal the thread only returns, so the join is immediate.
  if (done) thread_.join();
  return done;
}

void WorkerThread::Abandon() {
  if (thread_.joinable()) thread_.detach();
}

}  // namespace lorik
