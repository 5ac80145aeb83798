#pragma once
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ThreadPriority.h"

namespace lorik {

// Records the priority each thread asked for. Thread-safe.
class FakeThreadPriority final : public ThreadPriorityPort {
 public:
  void SetCurrentThread(ThreadPriority priority) override {
    std::lock_guard lock(mutex_);
    asked_[std::this_thread::get_id()] = priority;
  }
  // How many threads asked for a priority.
  size_t Threads() {
    std::lock_guard lock(mutex_);
    return asked_.size();
  }
  // How many threads asked for `priority` last.
  size_t ThreadsAt(ThreadPriority priority) {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (const auto& [thread, asked] : asked_) n += asked == priority ? 1 : 0;
    return n;
  }

 private:
  std::mutex mutex_;
  std::map<std::thread::id, ThreadPriority> asked_;
};

}  // namespace lorik
