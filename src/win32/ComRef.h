#pragma once
#include <windows.h>
// After windows.h.
#include <objbase.h>

namespace lorik::win32 {

// Releases a COM interface on every path out.
template <class T>
struct ComRef {
  T* p = nullptr;
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p != nullptr) p->Release();
  }
};

// COM for this thread as long as the scope lasts, unless the thread has it
// already in another model.
struct ComScope {
  HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ComScope() = default;
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(hr)) ::CoUninitialize();
  }
};

}  // namespace lorik::win32
