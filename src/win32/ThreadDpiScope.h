#pragma once
#include <windows.h>

namespace lorik {

// Sets the calling thread's DPI awareness for its life: to that of a window,
// so that its client rectangle, client points and blits are in the window's
// own pixels, or to per-monitor awareness, so that screen coordinates are
// physical pixels whatever the program's own awareness. The functions are
// looked up at run time: where the platform lacks them the scope does nothing.
class ThreadDpiScope {
 public:
  explicit ThreadDpiScope(HWND window);
  struct PerMonitor {};
  explicit ThreadDpiScope(PerMonitor);
  ~ThreadDpiScope();
  ThreadDpiScope(const ThreadDpiScope&) = delete;
  ThreadDpiScope& operator=(const ThreadDpiScope&) = delete;

  // Whether SetThreadDpiAwarenessContext and GetWindowDpiAwarenessContext exist.
  static bool Available();
  // Whether the thread's awareness was changed and is put back on exit.
  bool Applied() const { return previous_ != nullptr; }

 private:
  void* previous_ = nullptr;
};

// A screen point in a window's own coordinates (its awareness's) to physical
// pixels and back; unchanged where the platform lacks the conversions (before
// Windows 8.1), or for a window of per-monitor awareness.
POINT LogicalToPhysical(HWND window, POINT point);
POINT PhysicalToLogical(HWND window, POINT point);

}  // namespace lorik
