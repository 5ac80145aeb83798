#include "win32/EdgeGuard.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace lorik::win32 {

namespace {
std::atomic<StoppedExceptionSink> sink{nullptr};
}  // namespace

void SetStoppedExceptionSink(StoppedExceptionSink replacement) noexcept {
  sink.store(replacement);
}

void ReportStoppedException(const char* where) noexcept {
  static std::atomic<bool> told{false};
  try {
    const std::string line = std::string("Exception stopped in ") + where + ".\n";
    OutputDebugStringA(line.c_str());
    if (const StoppedExceptionSink replacement = sink.load()) return replacement(where);
    if (told.exchange(true)) return;
    std::wstring place;
    for (const char* c = where; *c != '\0'; ++c) place += static_cast<wchar_t>(*c);
    const std::wstring text =
        L"予期しないエラーが発生したため、操作を取り消しました（" + place + L"）";
    MessageBoxW(nullptr, text.c_str(), L"Lorik", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  } catch (...) {
    // Nothing more can be said.
  }
}

}  // namespace lorik::win32
