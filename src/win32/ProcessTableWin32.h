#pragma once
#include "platform/WindowSystem.h"

namespace lorik {

// Running processes from one tool-help snapshot.
class ProcessTableWin32 final : public ProcessTablePort {
 public:
  Result ReadSnapshot() override;
};

}  // namespace lorik
