#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ShotFile.h"
#include "core/SystemTime.h"

namespace lorik {

// One picture of the burst under review.
struct BurstFrame {
  uint32_t id = 0;  // stable while the window lives; positions shift as files go
  ShotFile file;
  int64_t offsetMs = 0;  // capture time minus the press
  bool press = false;    // the frame nearest the press
  bool marked = false;   // to keep
};

// Milliseconds from `from` to `to`; calendar-exact for any two dates.
int64_t MillisecondsBetween(const SystemTime& from, const SystemTime& to);

// "押下" for the press frame; otherwise the offset in seconds with one decimal
// and its sign: "-0.4秒", "+0.3秒".
std::wstring OffsetLabel(int64_t offsetMs, bool press);

// Positions 0 .. count - 1 ordered by their distance from `centre`, the
// earlier first among two at the same distance.
std::vector<size_t> NearestFirst(size_t centre, size_t count);

// The frames of one shot in capture order, their marks, and what is left of
// them as files go to the Recycle Bin.
class BurstModel {
 public:
  BurstModel() = default;
  BurstModel(const SystemTime& startTime, std::vector<ShotFile> files);

  size_t Size() const { return frames_.size(); }
  bool Empty() const { return frames_.empty(); }
  const BurstFrame& At(size_t index) const { return frames_.at(index); }
  std::optional<size_t> IndexOf(uint32_t id) const;
  // The press frame's position; 0 without one (its file went).
  size_t PressIndex() const;
  // The label in the strip: a mark, then the offset.
  std::wstring Label(size_t index) const;

  // Marks or unmarks a frame; returns the new mark.
  bool ToggleMark(size_t index);
  size_t MarkedCount() const;
  // The ids of the frames not marked, in capture order.
  std::vector<uint32_t> Unmarked() const;

  // A frame whose file went (recycled or vanished).
  void Remove(uint32_t id);
  // Adds the files of `files` not held yet (a frame written after the window
  // opened), in capture order; returns the positions they got, ascending.
  // The press frame is chosen again over everything held.
  std::vector<size_t> Merge(std::vector<ShotFile> files);

 private:
  void ChoosePress();

  SystemTime startTime_;
  std::vector<BurstFrame> frames_;
  uint32_t nextId_ = 1;
  bool pressGone_ = false;  // the press frame's file went
};

}  // namespace lorik
