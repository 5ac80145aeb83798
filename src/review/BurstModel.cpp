#include "review/BurstModel.h"

#include <algorithm>
#include <cstdlib>

namespace lorik {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

int64_t Milliseconds(const SystemTime& t) {
  const int64_t days = DaysFromCivil(t.year, t.month, t.day);
  return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.milliseconds;
}

bool CapturedBefore(const BurstFrame& a, const BurstFrame& b) {
  return a.offsetMs < b.offsetMs;
}

}  // namespace

int64_t MillisecondsBetween(const SystemTime& from, const SystemTime& to) {
  return Milliseconds(to) - Milliseconds(from);
}

std::wstring OffsetLabel(int64_t offsetMs, bool press) {
  if (press) return L"押下";
  // Tenths, rounded half away from zero; the sign follows the frame's side of
  // the press even where it rounds to 0.0.
  const int64_t magnitude = offsetMs < 0 ? -offsetMs : offsetMs;
  const int64_t tenths = (magnitude + 50) / 100;
  return std::wstring(offsetMs < 0 ? L"-" : L"+") + std::to_wstring(tenths / 10) + L"." +
         std::to_wstring(tenths % 10) + L"秒";
}

std::vector<size_t> NearestFirst(size_t centre, size_t count) {
  std::vector<size_t> order;
  order.reserve(count);
  if (count == 0) return order;
  if (centre >= count) centre = count - 1;
  order.push_back(centre);
  for (size_t step = 1; order.size() < count; ++step) {
    if (step <= centre) order.push_back(centre - step);
    if (centre + step < count) order.push_back(centre + step);
  }
  return order;
}

BurstModel::BurstModel(const SystemTime& startTime, std::vector<ShotFile> files)
    : startTime_(startTime) {
  Merge(std::move(files));
}

std::vector<size_t> BurstModel::Merge(std::vector<ShotFile> files) {
  std::vector<uint32_t> added;
  for (ShotFile& file : files) {
    const bool held = std::any_of(frames_.begin(), frames_.end(),
                                  [&](const BurstFrame& f) { return f.file.path == file.path; });
    if (held) continue;
    BurstFrame frame;
    frame.id = nextId_++;
    frame.offsetMs = MillisecondsBetween(startTime_, file.captureTime);
    frame.file = std::move(file);
    added.push_back(frame.id);
    frames_.push_back(std::move(frame));
  }
  // Stable: frames of one capture time keep the order they were written in.
  std::stable_sort(frames_.begin(), frames_.end(), CapturedBefore);
  ChoosePress();
  std::vector<size_t> positions;
  for (uint32_t id : added) positions.push_back(*IndexOf(id));
  std::sort(positions.begin(), positions.end());
  return positions;
}

void BurstModel::ChoosePress() {
  size_t best = 0;
  for (size_t i = 0; i < frames_.size(); ++i) frames_[i].press = false;
  if (pressGone_ || frames_.empty()) return;
  for (size_t i = 0; i < frames_.size(); ++i) {
    if (std::llabs(frames_[i].offsetMs) < std::llabs(frames_[best].offsetMs)) best = i;
  }
  frames_[best].press = true;
}

std::optional<size_t> BurstModel::IndexOf(uint32_t id) const {
  for (size_t i = 0; i < frames_.size(); ++i)
    if (frames_[i].id == id) return i;
  return std::nullopt;
}

size_t BurstModel::PressIndex() const {
  for (size_t i = 0; i < frames_.size(); ++i)
    if (frames_[i].press) return i;
  return 0;
}

std::wstring BurstModel::Label(size_t index) const {
  const BurstFrame& frame = frames_.at(index);
  const std::wstring offset = OffsetLabel(frame.offsetMs, frame.press);
  return frame.marked ? L"★" + offset : offset;
}

bool BurstModel::ToggleMark(size_t index) {
  BurstFrame& frame = frames_.at(index);
  frame.marked = !frame.marked;
  return frame.marked;
}

size_t BurstModel::MarkedCount() const {
  return static_cast<size_t>(
      std::count_if(frames_.begin(), frames_.end(), [](const BurstFrame& f) { return f.marked; }));
}

std::vector<uint32_t> BurstModel::Unmarked() const {
  std::vector<uint32_t> ids;
  for (const BurstFrame& f : frames_)
    if (!f.marked) ids.push_back(f.id);
  return ids;
}

void BurstModel::Remove(uint32_t id) {
  // The press label goes with its frame: no other frame is the press.
  const std::optional<size_t> index = IndexOf(id);
  if (index && frames_[*index].press) pressGone_ = true;
  std::erase_if(frames_, [&](const BurstFrame& f) { return f.id == id; });
}

}  // namespace lorik
