#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/WindowSystem.h"

namespace lorik {

// A process list that hands out copies of its entries; `failWith` makes every
// following snapshot fail the chosen way until it is set back to kOk.
class FakeProcessTable final : public ProcessTablePort {
 public:
  std::vector<Entry> entries;
  Status failWith = Status::kOk;
  int snapshots = 0;  // snapshots asked for, failed ones included

  void Add(uint32_t processId, std::wstring exeFile) {
    entries.push_back({processId, std::move(exeFile)});
  }

  Result ReadSnapshot() override {
    ++snapshots;
    if (failWith != Status::kOk) return {failWith, {}};
    return {Status::kOk, entries};
  }
};

}  // namespace lorik
