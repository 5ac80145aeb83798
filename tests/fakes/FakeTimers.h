#pragma once
#include <map>
#include <utility>
#include <vector>

#include "platform/Timers.h"

namespace lorik {

// Window timers in memory: which run with which period, and every call made.
class FakeTimers final : public TimerPort {
 public:
  unsigned Start(unsigned id, unsigned periodMs) override {
    starts.emplace_back(id, periodMs);
    if (failStart) return 0;
    running[id] = periodMs;
    return id;
  }
  void Kill(unsigned id) override {
    kills.push_back(id);
    running.erase(id);
  }

  bool IsRunning(unsigned id) const { return running.contains(id); }
  // Period of a running timer, 0 when it does not run.
  unsigned PeriodOf(unsigned id) const {
    auto it = running.find(id);
    return it == running.end() ? 0 : it->second;
  }

  std::map<unsigned, unsigned> running;  // id -> period in ms
  std::vector<std::pair<unsigned, unsigned>>
      starts;                   // (id, period) of every Start, failed ones too
  std::vector<unsigned> kills;  // id of every Kill
  bool failStart = false;       // Start fails and returns 0
};

}  // namespace lorik
