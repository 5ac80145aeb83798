#pragma once
#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>

#include "ui/Message.h"

// Static message maps: one ordered table per dialog class that binds a message,
// or a command / notification of a control, to a member function. The thunks
// unpack the message parameters into typed arguments. A handler may return bool
// where noted: false declines the message, which then goes on to the later
// entries and to the default processing.
namespace lorik::ui {

class Dialog;

using Thunk = bool (*)(Dialog& dialog, const Message& message, intptr_t& result);

inline constexpr int kAnyId = -1;
inline constexpr int kAnyCode = -1;

struct MapEntry {
  uint32_t msg;
  int id;      // first command or notification source; kAnyId for other messages
  int lastId;  // last source of the range; equal to `id` for one control
  int code;    // notification code; kAnyCode matches all
  Thunk thunk;
};

using MessageMap = std::span<const MapEntry>;

namespace detail {
template <class M>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
  using Result = R;
};
template <auto Method>
using ClassOf = typename MemberOf<decltype(Method)>::Class;
template <auto Method>
using ResultOf = typename MemberOf<decltype(Method)>::Result;

// Runs a handler of `void` or `bool` result; true when it took the message.
template <auto Method, class... Args>
bool Call(Dialog& d, Args&&... args) {
  auto& self = static_cast<ClassOf<Method>&>(d);
  if constexpr (std::is_same_v<ResultOf<Method>, bool>) {
    return (self.*Method)(std::forward<Args>(args)...);
  } else {
    static_assert(std::is_void_v<ResultOf<Method>>, "a handler returns void or bool");
    (self.*Method)(std::forward<Args>(args)...);
    return true;
  }
}
}  // namespace detail

// WM_COMMAND from control `id` with notification `code` (0 for menu items and
// clicks): void () or bool ().
template <auto Method>
constexpr MapEntry MapCommand(int id, int code = 0) {
  return {wm::kCommand, id, id, code,
          [](Dialog& d, const Message&, intptr_t&) { return detail::Call<Method>(d); }};
}

// WM_COMMAND from any id in first..last with notification `code`, for items
// numbered at run time: void (unsigned id) or bool (unsigned id), which declines
// ids beyond the part of the span in use.
template <auto Method>
constexpr MapEntry MapCommandRange(int first, int last, int code = 0) {
  return {wm::kCommand, first, last, code, [](Dialog& d, const Message& m, intptr_t&) {
            return detail::Call<Method>(d, static_cast<unsigned>(LowWord(m.wParam)));
          }};
}

// WM_NOTIFY from control `id` (kAnyId for all) with `code` (kAnyCode for all):
// void or bool (const NotifyHeader&, intptr_t& result).
template <auto Method>
constexpr MapEntry MapNotify(int id, int code) {
  return {wm::kNotify, id, id, code, [](Dialog& d, const Message& m, intptr_t& result) {
            const auto& header = *reinterpret_cast<const NotifyHeader*>(m.lParam);
            return detail::Call<Method>(d, header, result);
          }};
}

// A message whose result stays 0: void or bool, either () for messages without
// parameters of interest (WM_DESTROY) or (uintptr_t wParam, intptr_t lParam).
template <auto Method>
constexpr MapEntry MapMessage(uint32_t msg) {
  return {msg, kAnyId, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            if constexpr (std::is_invocable_v<decltype(Method), detail::ClassOf<Method>&>) {
              return detail::Call<Method>(d);
            } else {
              return detail::Call<Method>(d, m.wParam, m.lParam);
            }
          }};
}

// Any message with its raw parameters: intptr_t (uintptr_t wParam, intptr_t lParam).
template <auto Method>
constexpr MapEntry MapRaw(uint32_t msg) {
  return {msg, kAnyId, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t& result) {
            result = (static_cast<detail::ClassOf<Method>&>(d).*Method)(m.wParam, m.lParam);
            return true;
          }};
}

// WM_TIMER: void or bool (uintptr_t timerId).
template <auto Method>
constexpr MapEntry MapTimer() {
  return {wm::kTimer, kAnyId, kAnyId, kAnyCode,
          [](Dialog& d, const Message& m, intptr_t&) { return detail::Call<Method>(d, m.wParam); }};
}

// WM_HOTKEY: void or bool (int id, unsigned modifiers, unsigned virtualKey).
template <auto Method>
constexpr MapEntry MapHotKey() {
  return {wm::kHotKey, kAnyId, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            return detail::Call<Method>(d, static_cast<int>(m.wParam),
                                        unsigned{LowWord(static_cast<uintptr_t>(m.lParam))},
                                        unsigned{HighWord(static_cast<uintptr_t>(m.lParam))});
          }};
}

// WM_SYSCOMMAND: bool (unsigned command, intptr_t lParam); false passes it on to the default.
template <auto Method>
constexpr MapEntry MapSysCommand() {
  return {wm::kSysCommand, kAnyId, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            return (static_cast<detail::ClassOf<Method>&>(d).*Method)(
                static_cast<unsigned>(m.wParam), m.lParam);
          }};
}

// WM_GETMINMAXINFO: void (MinMaxInfo&).
template <auto Method>
constexpr MapEntry MapGetMinMaxInfo() {
  return {wm::kGetMinMaxInfo, kAnyId, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            (static_cast<detail::ClassOf<Method>&>(d).*
             Method)(*reinterpret_cast<MinMaxInfo*>(m.lParam));
            return true;
          }};
}

// WM_DPICHANGED, after the host has scaled the window's font and controls:
// void (const DpiChange&).
template <auto Method>
constexpr MapEntry MapDpiChanged() {
  return {wm::kDpiChanged, kAnyId, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            const DpiChange change{LowWord(m.wParam), *reinterpret_cast<const Rect*>(m.lParam)};
            (static_cast<detail::ClassOf<Method>&>(d).*Method)(change);
            return true;
          }};
}

// Looks up the first entry that matches the message; false when none does.
bool DispatchMap(MessageMap map, Dialog& dialog, const Message& message, intptr_t& result);

}  // namespace lorik::ui
