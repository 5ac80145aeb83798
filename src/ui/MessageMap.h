#pragma once
#include <cstdint>
#include <span>

#include "ui/Message.h"

// Static message maps: one ordered table per dialog class that binds a message,
// or a command / notification of a control, to a member function. The thunks
// unpack the message parameters into typed arguments.
namespace lorik::ui {

class Dialog;

using Thunk = bool (*)(Dialog& dialog, const Message& message, intptr_t& result);

inline constexpr int kAnyId = -1;
inline constexpr int kAnyCode = -1;

struct MapEntry {
  uint32_t msg;
  int id;    // command or notification source; kAnyId for other messages
  int code;  // notification code; kAnyCode matches all
  Thunk thunk;
};

using MessageMap = std::span<const MapEntry>;

namespace detail {
template <class M>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
};
template <auto Method>
using ClassOf = typename MemberOf<decltype(Method)>::Class;
}  // namespace detail

// WM_COMMAND from control `id` with notification `code` (0 for menu items and clicks): void ().
template <auto Method>
constexpr MapEntry MapCommand(int id, int code = 0) {
  return {wm::kCommand, id, code, [](Dialog& d, const Message&, intptr_t&) {
            (static_cast<detail::ClassOf<Method>&>(d).*Method)();
            return true;
          }};
}

// WM_NOTIFY from control `id` with `code`: void (const NotifyHeader&, intptr_t& result).
template <auto Method>
constexpr MapEntry MapNotify(int id, int code) {
  return {wm::kNotify, id, code, [](Dialog& d, const Message& m, intptr_t& result) {
            const auto& header = *reinterpret_cast<const NotifyHeader*>(m.lParam);
            (static_cast<detail::ClassOf<Method>&>(d).*Method)(header, result);
            return true;
          }};
}

// A message without parameters of interest (WM_DESTROY, WM_PAINT): void ().
template <auto Method>
constexpr MapEntry MapMessage(uint32_t msg) {
  return {msg, kAnyId, kAnyCode, [](Dialog& d, const Message&, intptr_t&) {
            (static_cast<detail::ClassOf<Method>&>(d).*Method)();
            return true;
          }};
}

// Any message with its raw parameters: intptr_t (uintptr_t wParam, intptr_t lParam).
template <auto Method>
constexpr MapEntry MapRaw(uint32_t msg) {
  return {msg, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t& result) {
            result = (static_cast<detail::ClassOf<Method>&>(d).*Method)(m.wParam, m.lParam);
            return true;
          }};
}

// WM_TIMER: void (uintptr_t timerId).
template <auto Method>
constexpr MapEntry MapTimer() {
  return {wm::kTimer, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            (static_cast<detail::ClassOf<Method>&>(d).*Method)(m.wParam);
            return true;
          }};
}

// WM_HOTKEY: void (int id, unsigned modifiers, unsigned virtualKey).
template <auto Method>
constexpr MapEntry MapHotKey() {
  return {wm::kHotKey, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            (static_cast<detail::ClassOf<Method>&>(d).*Method)(
                static_cast<int>(m.wParam), LowWord(static_cast<uintptr_t>(m.lParam)),
                HighWord(static_cast<uintptr_t>(m.lParam)));
            return true;
          }};
}

// WM_SYSCOMMAND: bool (unsigned command, intptr_t lParam); false passes it on to the default.
template <auto Method>
constexpr MapEntry MapSysCommand() {
  return {wm::kSysCommand, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            return (static_cast<detail::ClassOf<Method>&>(d).*Method)(
                static_cast<unsigned>(m.wParam), m.lParam);
          }};
}

// WM_GETMINMAXINFO: void (MinMaxInfo&).
template <auto Method>
constexpr MapEntry MapGetMinMaxInfo() {
  return {wm::kGetMinMaxInfo, kAnyId, kAnyCode, [](Dialog& d, const Message& m, intptr_t&) {
            (static_cast<detail::ClassOf<Method>&>(d).*
             Method)(*reinterpret_cast<MinMaxInfo*>(m.lParam));
            return true;
          }};
}

// Looks up the first entry that matches the message; false when none does.
bool DispatchMap(MessageMap map, Dialog& dialog, const Message& message, intptr_t& result);

}  // namespace lorik::ui
