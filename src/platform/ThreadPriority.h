#pragma once

namespace lorik {

enum class ThreadPriority { BelowNormal, Normal, Highest };

// The scheduling priority of the calling thread.
class ThreadPriorityPort {
 public:
  virtual ~ThreadPriorityPort() = default;
  virtual void SetCurrentThread(ThreadPriority priority) = 0;
};

}  // namespace lorik
