#pragma once
#include <string>

#include "core/SystemTime.h"

namespace lorik {

// One written picture of a shot: where it is and when it was grabbed.
struct ShotFile {
  std::wstring path;
  SystemTime captureTime;
  friend bool operator==(const ShotFile&, const ShotFile&) = default;
};

}  // namespace lorik
