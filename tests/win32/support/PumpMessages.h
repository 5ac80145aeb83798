#pragma once
// Lets this thread's windows paint and settle: about 200 ms of message pumping.
#include <windows.h>

namespace lorik::testing {

inline void PumpMessages() {
  for (int i = 0; i < 20; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

}  // namespace lorik::testing
