#pragma once
#include "platform/MessageBox.h"

namespace lorik {

class MessageBoxWin32 final : public MessageBoxPort {
 public:
  int Show(std::wstring_view text, std::wstring_view caption, unsigned style) override;
  void Beep() override;
};

}  // namespace lorik
