#pragma once
#include <compare>
#include <cstdint>

namespace lorik {

// An opaque window identity. On Windows it carries the HWND's value; ordering
// is by the unsigned handle value.
struct WindowHandle {
  uintptr_t value = 0;

  explicit operator bool() const { return value != 0; }
  friend auto operator<=>(const WindowHandle&, const WindowHandle&) = default;
};

}  // namespace lorik
