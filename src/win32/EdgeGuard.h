#pragma once
#include <utility>

#include "win32/CommonControls.h"

namespace lorik::win32 {

// Says that an exception was stopped at the platform's edge: a trace line each
// time, and one message for the first of the process, so that a failure that
// repeats (in painting, say) cannot flood the screen.
void ReportStoppedException(const char* where) noexcept;

// Replaces what ReportStoppedException does after its trace (the one message),
// for tests that must not open a box; null restores the message.
using StoppedExceptionSink = void (*)(const char* where);
void SetStoppedExceptionSink(StoppedExceptionSink sink) noexcept;

// Runs `body` for a procedure the system calls (a window, dialog, subclass,
// hook or enumeration procedure). An exception must not unwind through the
// system's frames, which is undefined: it stops here, is reported, and
// `declined` gives the answer of a message not taken.
template <class Body, class Declined>
auto AtEdge(const char* where, Body&& body, Declined&& declined) noexcept -> decltype(body()) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    ReportStoppedException(where);
  }
  try {
    return std::forward<Declined>(declined)();
  } catch (...) {
    return {};
  }
}

// A subclass procedure whose body is `Handle`, guarded: what it throws leaves
// the message to the control's own procedure.
template <LRESULT (*Handle)(HWND, UINT, WPARAM, LPARAM, DWORD_PTR)>
LRESULT CALLBACK GuardedSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR data) {
  return AtEdge(
      "a control", [&] { return Handle(window, message, wParam, lParam, data); },
      [&] { return CommonControls().defSubclassProc(window, message, wParam, lParam); });
}

}  // namespace lorik::win32
