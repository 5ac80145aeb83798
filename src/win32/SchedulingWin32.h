#pragma once
#include "platform/ThreadPriority.h"

namespace lorik {

class ThreadPriorityWin32 final : public ThreadPriorityPort {
 public:
  void SetCurrentThread(ThreadPriority priority) override;
};

// Asks Windows not to slow the process down nor to ignore its timer
// resolution when its windows are covered or minimised. False where Windows
// has no such setting or refuses it.
bool OptOutOfPowerThrottling();

}  // namespace lorik
