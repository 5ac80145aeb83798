#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/ShotFile.h"
#include "core/SystemTime.h"

namespace lorik {

// The files of the newest shot, as the save worker wrote them.
struct LastShot {
  uint64_t serial = 0;          // grows with every new shot; 0 before the first file
  int32_t profileNo = 0;        // 0 single shot, k multi-shot profile k
  SystemTime startTime;         // the press; a single shot's capture time
  std::vector<ShotFile> files;  // in the order written, not necessarily captured
  // The frame that ends the press's request has been handled (written or lost).
  // Conversion workers may finish frames out of order, so files can still follow.
  bool ended = false;
};

// Written by the save worker, read by the user-interface thread: each reads or
// replaces the record under its lock and nothing else is held meanwhile.
class LastShotLog {
 public:
  // Adds a written file. A frame of another shot (profile or press) starts a
  // new record. Returns whether the shot it belongs to has ended.
  bool Add(int32_t profileNo, const SystemTime& startTime, ShotFile file);
  // The frame that ends the shot was handled; true when it belongs to the
  // record (a lost last frame of a shot with no file makes none).
  bool End(int32_t profileNo, const SystemTime& startTime);
  LastShot Snapshot() const;

 private:
  bool Same(int32_t profileNo, const SystemTime& startTime) const;

  mutable std::mutex lock_;
  LastShot shot_;  // guarded by lock_
};

}  // namespace lorik
