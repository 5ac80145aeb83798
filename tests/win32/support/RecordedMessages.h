#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageBox.h"

namespace lorik {

// Message boxes would stop a test: they are recorded instead and answered OK.
class RecordedMessages final : public MessageBoxPort {
 public:
  int Show(std::wstring_view text, std::wstring_view, unsigned) override {
    shown.emplace_back(text);
    return mb::kIdOk;
  }
  void Beep() override {}
  std::vector<std::wstring> shown;
};

}  // namespace lorik
