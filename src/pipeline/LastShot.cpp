#include "pipeline/LastShot.h"

#include <utility>

namespace lorik {

bool LastShotLog::Same(int32_t profileNo, const SystemTime& startTime) const {
  return shot_.serial != 0 && shot_.profileNo == profileNo && shot_.startTime == startTime;
}

bool LastShotLog::Add(int32_t profileNo, const SystemTime& startTime, ShotFile file) {
  std::lock_guard lock(lock_);
  if (!Same(profileNo, startTime)) {
    const uint64_t serial = shot_.serial + 1;
    shot_ = LastShot{serial, profileNo, startTime, {}, false};
  }
  shot_.files.push_back(std::move(file));
  return shot_.ended;
}

bool LastShotLog::End(int32_t profileNo, const SystemTime& startTime) {
  std::lock_guard lock(lock_);
  if (!Same(profileNo, startTime)) return false;
  shot_.ended = true;
  return true;
}

LastShot LastShotLog::Snapshot() const {
  std::lock_guard lock(lock_);
  return shot_;
}

}  // namespace lorik
