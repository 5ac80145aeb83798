#include "pipeline/WorkerThread.h"

#include <utility>

namespace lorik {

ThreadLauncher LauncherAt(std::shared_ptr<ThreadPriorityPort> port, ThreadPriority priority) {
  if (!port) return DefaultThreadLauncher();
  return [port = std::move(port), priority](std::function<void()> body) {
    return std::thread([port, priority, body = std::move(body)] {
      port->SetCurrentThread(priority);
      body();
    });
  };
}

}  // namespace lorik
