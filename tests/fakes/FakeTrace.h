#pragma once
#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Trace.h"

namespace lorik {

// Keeps every trace line in order. Thread-safe.
class FakeTrace final : public TracePort {
 public:
  void Write(std::string_view line) override {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
  }
  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  size_t Count(std::string_view line) const {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count(lines_.begin(), lines_.end(), line));
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace lorik
