#include "win32/ThreadDpiScope.h"

#include "win32/SystemDll.h"

namespace lorik {
namespace {

// DPI_AWARENESS_CONTEXT is a handle; plain pointers keep this independent of
// the headers' Windows version.
using SetThreadContext = void*(WINAPI*)(void*);
using GetWindowContext = void*(WINAPI*)(HWND);
using ConvertPoint = BOOL(WINAPI*)(HWND, POINT*);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE.
void* const kPerMonitorV2 = reinterpret_cast<void*>(static_cast<intptr_t>(-4));
void* const kPerMonitor = reinterpret_cast<void*>(static_cast<intptr_t>(-3));

struct DpiCalls {
  SetThreadContext setThread = nullptr;
  GetWindowContext ofWindow = nullptr;
  ConvertPoint logicalToPhysical = nullptr;
  ConvertPoint physicalToLogical = nullptr;
};

const DpiCalls& Calls() {
  static const DpiCalls calls = [] {
    const win32::SystemDll user32(L"user32.dll");
    DpiCalls found;
    found.setThread = user32.Find<SetThreadContext>("SetThreadDpiAwarenessContext");
    found.ofWindow = user32.Find<GetWindowContext>("GetWindowDpiAwarenessContext");
    found.logicalToPhysical = user32.Find<ConvertPoint>("LogicalToPhysicalPointForPerMonitorDPI");
    found.physicalToLogical = user32.Find<ConvertPoint>("PhysicalToLogicalPointForPerMonitorDPI");
    if (found.setThread == nullptr || found.ofWindow == nullptr) {
      found.setThread = nullptr;
      found.ofWindow = nullptr;
    }
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

// Version 2 first; Windows 10 before 1703 knows only the first version.
ThreadDpiScope::ThreadDpiScope(PerMonitor) {
  const DpiCalls& calls = Calls();
  if (calls.setThread == nullptr) return;
  previous_ = calls.setThread(kPerMonitorV2);
  if (previous_ == nullptr) previous_ = calls.setThread(kPerMonitor);
}

ThreadDpiScope::~ThreadDpiScope() {
  if (previous_ != nullptr) Calls().setThread(previous_);
}

POINT LogicalToPhysical(HWND window, POINT point) {
  if (ConvertPoint convert = Calls().logicalToPhysical) convert(window, &point);
  return point;
}

POINT PhysicalToLogical(HWND window, POINT point) {
  if (ConvertPoint convert = Calls().physicalToLogical) convert(window, &point);
  return point;
}

}  // namespace lorik
