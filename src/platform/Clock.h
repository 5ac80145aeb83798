#pragma once
#include <cstdint>

#include "core/SystemTime.h"

namespace lorik {

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual SystemTime LocalTime() = 0;
  // Milliseconds since start-up, 64 bits.
  virtual uint64_t TickCount() = 0;
};

}  // namespace lorik
