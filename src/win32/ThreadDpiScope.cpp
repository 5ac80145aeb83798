#include "win32/ThreadDpiScope.h"

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
    DpiCalls found;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      found.setThread = reinterpret_cast<SetThreadContext>(
          reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
      found.ofWindow = reinterpret_cast<GetWindowContext>(
          reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    }
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
