#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/ControlBinder.h"
#include "controls/InfoProgressCtrl.h"
#include "controls/StaticBitmap.h"

namespace lorik {

// A native progress bar in memory: keeps range, position, step and state as
// the platform's control does (the position clamped into the range) and
// records every message it is sent.
class FakeNativeProgressBar final : public NativeProgressBar {
 public:
  enum class Op {
    SetRange,
    SetRange32,
    SetPos,
    DeltaPos,
    SetStep,
    StepIt,
    SetState,
    GetRange,
    GetPos,
    SetText,
    Invalidate,
    Notify
  };
  struct Call {
    Op op;
    int a = 0;
    int b = 0;
    friend bool operator==(const Call&, const Call&) = default;
  };

  int SetRange(int16_t lower, int16_t upper) override {
    calls.push_back({Op::SetRange, lower, upper});
    return Replace(lower, upper, true);
  }
  int SetRange32(int lower, int upper) override {
    calls.push_back({Op::SetRange32, lower, upper});
    return Replace(lower, upper, false);
  }
  int SetPos(int value) override {
    calls.push_back({Op::SetPos, value});
    return MoveTo(value);
  }
  int DeltaPos(int delta) override {
    calls.push_back({Op::DeltaPos, delta});
    return MoveTo(pos + delta);
  }
  int SetStep(int value) override {
    calls.push_back({Op::SetStep, value});
    return std::exchange(step, value);
  }
  int StepIt() override {
    calls.push_back({Op::StepIt});
    const int previous = pos;
    pos += step;
    if (pos > upper) pos = lower + (pos - upper);  // the platform's control wraps round
    return previous;
  }
  int SetState(int value) override {
    calls.push_back({Op::SetState, value});
    return std::exchange(state, value);
  }
  ProgressRange GetRange() override {
    calls.push_back({Op::GetRange});
    return {lower, upper};
  }
  int GetPos() override {
    calls.push_back({Op::GetPos});
    return pos;
  }
  intptr_t SetText(const std::wstring& value) override {
    calls.push_back({Op::SetText});
    text = value;
    return 1;
  }
  void InvalidateErasing() override { calls.push_back({Op::Invalidate}); }
  void NotifyParent(uint16_t code) override { calls.push_back({Op::Notify, code}); }

  // The PBM_ messages among the calls, without reads, texts and repaints.
  std::vector<Call> Moves() const {
    std::vector<Call> moves;
    for (const Call& call : calls) {
      if (call.op != Op::GetRange && call.op != Op::GetPos && call.op != Op::SetText &&
          call.op != Op::Invalidate && call.op != Op::Notify) {
        moves.push_back(call);
      }
    }
    return moves;
  }

  std::vector<Call> calls;
  int lower = 0;
  int upper = 100;
  int pos = 0;
  int step = 10;
  int state = pbst::kNormal;
  std::wstring text;

 private:
  int Replace(int newLower, int newUpper, bool packed) {
    const int previous = packed ? static_cast<int>((static_cast<uint32_t>(upper & 0xFFFF) << 16) |
                                                   static_cast<uint32_t>(lower & 0xFFFF))
                                : lower;
    lower = newLower;
    upper = newUpper;
    pos = std::clamp(pos, lower, std::max(lower, upper));
    return previous;
  }
  int MoveTo(int value) {
    const int previous = pos;
    pos = std::clamp(value, lower, std::max(lower, upper));
    return previous;
  }
};

// A thumbnail window in memory: counts the repaints asked for.
class FakeThumbnailWindow final : public ThumbnailWindow {
 public:
  void Invalidate() override { invalidations.fetch_add(1); }
  std::atomic<int> invalidations{0};
};

// Binds each control to an in-memory native bar or window, kept by id.
class FakeControlBinder final : public ControlBinder {
 public:
  bool Bind(WindowHandle, int id, CInfoProgressCtrl& control) override {
    if (missing.count(id) != 0) return false;
    auto& native = bars[id];
    native = std::make_unique<FakeNativeProgressBar>();
    control.Attach(native.get());
    return true;
  }
  bool Bind(WindowHandle, int id, CStaticBitmap& control) override {
    if (missing.count(id) != 0) return false;
    auto& window = thumbnails[id];
    window = std::make_unique<FakeThumbnailWindow>();
    control.Attach(window.get());
    return true;
  }

  std::map<int, std::unique_ptr<FakeNativeProgressBar>> bars;
  std::map<int, std::unique_ptr<FakeThumbnailWindow>> thumbnails;
  std::map<int, bool> missing;  // ids that Bind refuses, as for a template without them
};

}  // namespace lorik
