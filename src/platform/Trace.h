#pragma once
#include <string_view>

namespace lorik {

// Short English diagnostic lines for the debugger output, each ending in "\n".
class TracePort {
 public:
  virtual ~TracePort() = default;
  virtual void Write(std::string_view line) = 0;
};

}  // namespace lorik
