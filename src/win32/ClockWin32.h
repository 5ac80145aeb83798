#pragma once
#include "platform/Clock.h"

namespace lorik {

class ClockWin32 final : public ClockPort {
 public:
  SystemTime LocalTime() override;
  uint64_t TickCount() override;
};

}  // namespace lorik
