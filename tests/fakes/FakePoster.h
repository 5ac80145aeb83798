#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/Poster.h"

namespace lorik {

// Keeps the posted messages until a test delivers them. Thread-safe.
class FakePoster final : public MessagePosterPort {
 public:
  bool Post(WindowHandle window, uint32_t message) override {
    if (failing.load()) return false;
    std::lock_guard lock(mutex_);
    posted_.push_back({window, message});
    return true;
  }
  // The messages posted since the last call, oldest first.
  std::vector<std::pair<WindowHandle, uint32_t>> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(posted_, {});
  }
  size_t Count() const {
    std::lock_guard lock(mutex_);
    return posted_.size();
  }

  std::atomic<bool> failing{false};  // Post refuses, as with a full queue

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<WindowHandle, uint32_t>> posted_;
};

}  // namespace lorik
