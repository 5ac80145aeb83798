#pragma once
#include <string>
#include <vector>

namespace lorik {

// What became of one file sent to the Recycle Bin.
enum class RecycleOutcome {
  Recycled,  // in the Recycle Bin
  Missing,   // there was no such file
  Failed,    // still where it was
};

// Moves files to the Recycle Bin; never deletes one outright.
class RecyclePort {
 public:
  virtual ~RecyclePort() = default;
  // One outcome per path, in the same order.
  virtual std::vector<RecycleOutcome> Recycle(const std::vector<std::wstring>& paths) = 0;
};

}  // namespace lorik
