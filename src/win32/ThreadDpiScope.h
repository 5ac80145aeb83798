#pragma once
#include <windows.h>

namespace lorik {

// Sets the calling thread's DPI awareness to that of a window for its life,
// so that client rectangles and blits of a window of another awareness are in
// one coordinate system. The functions are looked up at run time: where the
// platform lacks them the scope does nothing.
class ThreadDpiScope {
 public:
  explicit ThreadDpiScope(HWND window);
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

}  // namespace lorik
