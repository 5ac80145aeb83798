#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/KeyNames.h"

namespace lorik {

// A keyboard layout in memory: names by virtual key and extended bit; every lookup is
// recorded.
class FakeKeyNames final : public KeyNamePort {
 public:
  std::wstring KeyName(unsigned virtualKey, bool extended) override {
    asked.emplace_back(virtualKey, extended);
    auto it = names.find({virtualKey, extended});
    return it != names.end() ? it->second : std::wstring();
  }

  std::map<std::pair<unsigned, bool>, std::wstring> names = {
      {{0x11, false}, L"Ctrl"},  {{0x10, false}, L"Shift"}, {{0x12, false}, L"Alt"},
      {{'A', false}, L"A"},      {{'S', false}, L"S"},      {{0x70, false}, L"F1"},
      {{0x23, false}, L"Num 1"}, {{0x23, true}, L"End"},
  };
  std::vector<std::pair<unsigned, bool>> asked;
};

}  // namespace lorik
