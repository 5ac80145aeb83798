#pragma once
#include "platform/Trace.h"

namespace lorik {

// Diagnostic lines to the debugger output.
class TraceWin32 final : public TracePort {
 public:
  void Write(std::string_view line) override;
};

}  // namespace lorik
