#include "win32/ThreadDpiScope.h"

#include "win32/SystemDll.h"

namespace lorik {
namespace {

// DPI_AWARENESS_CONTEXT is a handle; plain pointers keep this independent of
// the headers' Windows version.
using SetThreadContext = void*(WINAPI*)(void*);
using GetWindowContext = void*(WINAPI*)(HWND);

struct DpiCalls {
  SetThreadContext setThread = nullptr;
  GetWindowContext ofWindow = nullptr;
};

const DpiCalls& Calls() {
  static const DpiCalls calls = [] {
    const win32::SystemDll user32(L"user32.dll");
    DpiCalls found{user32.Find<SetThreadContext>("SetThreadDpiAwarenessContext"),
                   user32.Find<GetWindowContext>("GetWindowDpiAwarenessContext")};
    if (found.setThread == nullptr || found.ofWindow == nullptr) found = DpiCalls{};
    return found;
  }();
  return calls;
}

}  // namespace

bool ThreadDpiScope::Available() {
  return Calls().setThread != nullptr;
}

ThreadDpiScope::ThreadDpiScope(HWND window) {
  const DpiCalls& calls = Calls();
  if (calls.setThread == nullptr) return;
  void* context = calls.ofWindow(window);
  if (context == nullptr) return;
  previous_ = calls.setThread(context);
}

ThreadDpiScope::~ThreadDpiScope() {
  if (previous_ != nullptr) Calls().setThread(previous_);
}

}  // namespace lorik
