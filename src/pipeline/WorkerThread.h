#pragma once
#include <memory>

#include "core/WorkerThread.h"
#include "platform/ThreadPriority.h"

namespace lorik {

// Starts threads that first take `priority`; without a port they keep the
// priority they start with.
ThreadLauncher LauncherAt(std::shared_ptr<ThreadPriorityPort> port, ThreadPriority priority);

}  // namespace lorik
