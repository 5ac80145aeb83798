#pragma once
#include "platform/KeyNames.h"

namespace lorik {

class KeyNamesWin32 final : public KeyNamePort {
 public:
  std::wstring KeyName(unsigned virtualKey, bool extended) override;
};

}  // namespace lorik
