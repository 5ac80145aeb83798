#include "controls/InfoProgressCtrl.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace lorik {
namespace {

// One past `value` without overflowing at the top of the range.
int OnePast(int value) {
  return value == INT_MAX ? value : value + 1;
}

int WrappingAdd(int a, int b) {
  return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b));
}

// Going one past the target and back: the native bar animates a forward move
// but draws a backward one at once. At or past the maximum the range is
// widened for the moment of the move. Returns the first PBM_SETPOS's result.
int JumpTo(NativeProgressBar& native, int lower, int upper, int pos) {
  if (pos < upper) {
    const int result = native.SetPos(OnePast(pos));
    native.SetPos(pos);
    return result;
  }
  native.SetRange32(lower, OnePast(pos));
  const int result = native.SetPos(OnePast(pos));
  native.SetPos(pos);
  native.SetRange32(lower, upper);
  return result;
}

}  // namespace

void CInfoProgressCtrl::Attach(NativeProgressBar* native) {
  native_ = native;
  if (!native_) return;
  // The native control starts at its own defaults; give it what was asked for meanwhile.
  if (lower_ != 0 || upper_ != 100) native_->SetRange32(lower_, upper_);
  if (step_ != 10) native_->SetStep(step_);
  if (state_ != pbst::kNormal) native_->SetState(state_);
  if (!animate_) {
    // All of it is now on the native bar, the state included.
    appliedPos_ = pos_;
    appliedLower_ = lower_;
    appliedUpper_ = upper_;
    appliedState_ = state_;
    JumpTo(*native_, lower_, upper_, pos_);
  } else if (pos_ != 0) {
    native_->SetPos(pos_);
  }
  if (!text_.empty()) {
    native_->SetText(text_);
    native_->InvalidateErasing();
  }
}

void CInfoProgressCtrl::SetTextColors(ColourRef onBar, ColourRef offBar) {
  textColorOnBar_ = onBar;
  textColorOffBar_ = offBar;
}

bool CInfoProgressCtrl::SetAnimation(bool on) {
  return std::exchange(animate_, on);
}

int CInfoProgressCtrl::SetRange(int16_t lower, int16_t upper) {
  lower_ = lower;
  upper_ = upper;
  const int result = native_ ? native_->SetRange(lower, upper) : 0;
  if (!animate_) SyncWithoutAnimation();
  return result;
}

int CInfoProgressCtrl::SetRange32(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  const int result = native_ ? native_->SetRange32(lower, upper) : 0;
  if (!animate_) SyncWithoutAnimation();
  return result;
}

int CInfoProgressCtrl::SetStep(int step) {
  step_ = step;
  return native_ ? native_->SetStep(step) : 0;
}

template <class Send>
int CInfoProgressCtrl::ApplyPos(Send send) {
  if (!animate_) return SyncWithoutAnimation();
  appliedPos_ = pos_;
  return native_ ? send(*native_) : 0;
}

int CInfoProgressCtrl::StepIt() {
  pos_ = WrappingAdd(pos_, step_);
  return ApplyPos([](NativeProgressBar& native) { return native.StepIt(); });
}

int CInfoProgressCtrl::OffsetPos(int delta) {
  pos_ = WrappingAdd(pos_, delta);
  return ApplyPos([delta](NativeProgressBar& native) { return native.DeltaPos(delta); });
}

int CInfoProgressCtrl::SetPos(int pos) {
  pos_ = pos;
  return ApplyPos([pos](NativeProgressBar& native) { return native.SetPos(pos); });
}

int CInfoProgressCtrl::SetState(int state) {
  if (state == state_) return state_;
  if (!animate_) SyncWithoutAnimation();
  const int result = native_ ? native_->SetState(state) : state_;
  state_ = state;
  return result;
}

int CInfoProgressCtrl::SyncWithoutAnimation() {
  if (pos_ == appliedPos_ && lower_ == appliedLower_ && upper_ == appliedUpper_ &&
      state_ == appliedState_) {
    return pos_;
  }
  appliedPos_ = pos_;
  appliedLower_ = lower_;
  appliedUpper_ = upper_;
  appliedState_ = state_;
  const int result = native_ ? JumpTo(*native_, lower_, upper_, pos_) : 0;
  if (lower_ > pos_) pos_ = lower_;
  if (upper_ < pos_) pos_ = upper_;
  return result;
}

OverlaySplit CInfoProgressCtrl::SplitTextRect(const Rect& textRect, ProgressRange range, int pos) {
  const int64_t width = std::max<int64_t>(textRect.Width(), 0);
  const int64_t span = static_cast<int64_t>(range.upper) - range.lower;
  // An empty or reversed range has no filled part to speak of.
  int64_t split = 0;
  if (span > 0) {
    split = (static_cast<int64_t>(pos) - range.lower) * width / span;
    split = std::clamp<int64_t>(split, 0, width);
  }
  // Measured from the text rectangle's left edge, where the native fill starts.
  const int32_t x = static_cast<int32_t>(textRect.left + split);
  Rect filled = textRect;
  filled.right = x;
  Rect empty = textRect;
  empty.left = x;
  return {filled, empty};
}

void CInfoProgressCtrl::DrawOverlayText(OverlayTextPainter& painter) {
  if (!native_) return;
  const ProgressRange range = native_->GetRange();
  const int pos = native_->GetPos();
  const OverlaySplit split = SplitTextRect(textRect_, range, pos);
  painter.DrawClippedText(text_, textRect_, split.filled, textColorOnBar_);
  painter.DrawClippedText(text_, textRect_, split.empty, textColorOffBar_);
}

void CInfoProgressCtrl::OnPaint(const Rect& client, OverlayTextPainter& painter) {
  textRect_ = {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
  DrawOverlayText(painter);
}

intptr_t CInfoProgressCtrl::OnSetText(const std::wstring& newText) {
  // Set after every timer message: an unchanged text must not repaint, or the bar flickers.
  if (newText == text_) return 1;
  text_ = newText;
  if (!native_) return 1;
  const intptr_t result = native_->SetText(text_);
  native_->InvalidateErasing();
  return result;
}

void CCustomProgressCtrl::OnLButtonUp() {
  if (NativeProgressBar* native = Native()) native->NotifyParent(0);
}

}  // namespace lorik
