#pragma once
#include <cstdint>

namespace lorik {

// The platform's local time: the eight 16-bit fields of SYSTEMTIME, same order.
struct SystemTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

}  // namespace lorik
