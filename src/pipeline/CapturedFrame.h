#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/SystemTime.h"
#include "platform/ImageEncoder.h"
#include "platform/Picture.h"

namespace lorik {

// Immutable text shared by every copy of a frame, so that copying a frame into
// the histories and buffers never allocates. Null reads as the empty string.
class SharedText {
 public:
  SharedText() = default;
  explicit SharedText(std::wstring text)
      : text_(std::make_shared<const std::wstring>(std::move(text))) {}

  const std::wstring& str() const { return text_ ? *text_ : Empty(); }
  operator const std::wstring&() const { return str(); }
  friend bool operator==(const SharedText& a, const SharedText& b) { return a.str() == b.str(); }

 private:
  static const std::wstring& Empty() {
    static const std::wstring empty;
    return empty;
  }
  std::shared_ptr<const std::wstring> text_;
};

// The encoded image of one frame, owned jointly by every copy of the frame: it
// is freed exactly once, with the last copy, on whichever thread drops it.
struct StreamSlot {
  std::optional<EncodedImage> image;  // filled by the conversion worker
};

// One picture on its way to a file.
struct CapturedFrame {
  SystemTime captureTime;  // local time read right after the grab
  SystemTime startTime;    // press that started the shot; captureTime for a single shot
  std::shared_ptr<const Picture>
      picture;            // the grabbed pixels; null when the bitmap could not be made
  SharedText folder;      // destination folder
  SharedText pattern;     // file-name pattern with meta-characters
  int32_t profileNo = 0;  // 0 single shot, k multi-shot profile k
  bool endsShot = false;  // the last frame a multi-shot press asked for
  // Holds the encoded image once converted. A slot is made when the frame is
  // first encoded: until then nobody can tell a missing slot from an empty one,
  // and it keeps the capture tick free of allocations.
  std::shared_ptr<StreamSlot> encoded;
};

// First-in-first-out list of frames on a ring of slots. Unlike std::deque it
// allocates only when it grows past its largest size so far, so the steady
// traffic of the capture tick allocates nothing.
class FrameQueue {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void reserve(size_t capacity) {
    if (capacity > slots_.size()) Regrow(capacity);
  }

  void push_back(CapturedFrame frame) {
    if (size_ == slots_.size()) Regrow(slots_.empty() ? 8 : slots_.size() * 2);
    slots_[(head_ + size_) % slots_.size()] = std::move(frame);
    ++size_;
  }
  CapturedFrame& front() { return slots_[head_]; }
  const CapturedFrame& front() const { return slots_[head_]; }
  // Moves the oldest frame out; its slot keeps no share of the picture.
  CapturedFrame pop_front() {
    CapturedFrame frame = std::move(slots_[head_]);
    slots_[head_] = CapturedFrame{};
    head_ = (head_ + 1) % slots_.size();
    --size_;
    return frame;
  }
  void clear() {
    while (!empty()) pop_front();
  }

 private:
  void Regrow(size_t capacity) {
    std::vector<CapturedFrame> grown(capacity);
    for (size_t i = 0; i < size_; ++i) grown[i] = std::move(slots_[(head_ + i) % slots_.size()]);
    slots_ = std::move(grown);
    head_ = 0;
  }

  std::vector<CapturedFrame> slots_;
  size_t head_ = 0;
  size_t size_ = 0;
};

}  // namespace lorik
