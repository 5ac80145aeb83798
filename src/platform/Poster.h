#pragma once
#include <cstdint>

#include "core/WindowHandle.h"

namespace lorik {

// Puts a message in a window's queue without waiting for it to be handled;
// callable from any thread, so a worker can hand work to the window's thread.
class MessagePosterPort {
 public:
  virtual ~MessagePosterPort() = default;
  // False when the window is gone or its queue is full.
  virtual bool Post(WindowHandle window, uint32_t message) = 0;
};

}  // namespace lorik
