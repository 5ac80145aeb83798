#pragma once
#include <cstdint>
#include <string>

#include "core/Geometry.h"
#include "platform/PlatformValues.h"

namespace lorik {

// A colour as the platform's COLORREF (0x00BBGGRR), or, with the high bit
// set, a system colour index resolved by the painter when it draws (the
// convention of OLE colours), so that a theme change needs no new value.
using ColourRef = uint32_t;
inline constexpr ColourRef kSystemColour = 0x80000000u;
inline constexpr ColourRef SystemColour(int index) {
  return kSystemColour | static_cast<ColourRef>(index);
}
inline constexpr ColourRef kColourWindowText = SystemColour(syscolour::kWindowText);
inline constexpr ColourRef kColourHighlightText = SystemColour(syscolour::kHighlightText);

struct ProgressRange {
  int lower = 0;
  int upper = 0;
  friend bool operator==(const ProgressRange&, const ProgressRange&) = default;
};

// The native progress bar under the overlay. Each call is one message to the
// native control (PBM_SETRANGE, PBM_SETRANGE32, PBM_SETPOS, ...); results are
// the native control's.
class NativeProgressBar {
 public:
  virtual ~NativeProgressBar() = default;
  virtual int SetRange(int16_t lower, int16_t upper) = 0;  // PBM_SETRANGE, previous range packed
  virtual int SetRange32(int lower, int upper) = 0;        // PBM_SETRANGE32
  virtual int SetPos(int pos) = 0;                         // PBM_SETPOS, previous position
  virtual int DeltaPos(int delta) = 0;                     // PBM_DELTAPOS, previous position
  virtual int SetStep(int step) = 0;                       // PBM_SETSTEP, previous step
  virtual int StepIt() = 0;                                // PBM_STEPIT, previous position
  virtual int SetState(int state) = 0;                     // PBM_SETSTATE, previous state
  virtual ProgressRange GetRange() = 0;                    // PBM_GETRANGE
  virtual int GetPos() = 0;                                // PBM_GETPOS
  // WM_SETTEXT handled by the native control; its result.
  virtual intptr_t SetText(const std::wstring& text) = 0;
  // Invalidates the whole control, erasing the background.
  virtual void InvalidateErasing() = 0;
  // WM_COMMAND to the parent: the control's id in the low word, `code` in the
  // high word, the control's window as lParam.
  virtual void NotifyParent(uint16_t code) = 0;
};

// Draws the overlay text on whatever device the painter stands for.
class OverlayTextPainter {
 public:
  virtual ~OverlayTextPainter() = default;
  // Draws `text` centred vertically and horizontally on one line in `textRect`,
  // in `colour`, with the background left as it is, and only inside `clip`.
  virtual void DrawClippedText(const std::wstring& text, const Rect& textRect, const Rect& clip,
                               ColourRef colour) = 0;
};

// The two parts of the text rectangle: the one over the filled part of the
// bar and the one over the empty part. Together they cover the rectangle.
struct OverlaySplit {
  Rect filled;
  Rect empty;
  friend bool operator==(const OverlaySplit&, const OverlaySplit&) = default;
};

// A native progress bar with a text drawn over it in two colours, and
// position updates that can jump instead of animating. Values requested
// before a native bar is attached are applied when it is.
class CInfoProgressCtrl {
 public:
  CInfoProgressCtrl() = default;
  virtual ~CInfoProgressCtrl() = default;
  CInfoProgressCtrl(const CInfoProgressCtrl&) = delete;
  CInfoProgressCtrl& operator=(const CInfoProgressCtrl&) = delete;

  // The Win32 side attaches the real control and detaches it when the window
  // goes; null detaches.
  void Attach(NativeProgressBar* native);
  bool Attached() const { return native_ != nullptr; }

  virtual void SetTextColors(ColourRef onBar, ColourRef offBar);
  // Returns the previous value.
  virtual bool SetAnimation(bool on);
  virtual int SetRange(int16_t lower, int16_t upper);
  virtual int SetRange32(int lower, int upper);
  virtual int SetStep(int step);
  virtual int StepIt();
  virtual int OffsetPos(int delta);
  virtual int SetPos(int pos);
  virtual int SetState(int state);
  virtual void DrawOverlayText(OverlayTextPainter& painter);

  // What the owner calls instead of SetWindowText and InvalidateRect(erase).
  intptr_t SetWindowText(const std::wstring& text) { return OnSetText(text); }
  void InvalidateErasing() {
    if (native_) native_->InvalidateErasing();
  }

  // Window messages, routed here by the Win32 side.
  // WM_PAINT after the native control has painted: `client` is the client rectangle.
  void OnPaint(const Rect& client, OverlayTextPainter& painter);
  // WM_SETTEXT; the result to return for it.
  intptr_t OnSetText(const std::wstring& newText);
  // WM_LBUTTONUP before the native control sees it.
  virtual void OnLButtonUp() {}

  // Where the text rectangle is split for a native range and position.
  static OverlaySplit SplitTextRect(const Rect& textRect, ProgressRange range, int pos);

  ColourRef TextColorOnBar() const { return textColorOnBar_; }
  ColourRef TextColorOffBar() const { return textColorOffBar_; }
  const Rect& TextRect() const { return textRect_; }
  bool Animate() const { return animate_; }
  int Lower() const { return lower_; }
  int Upper() const { return upper_; }
  int Pos() const { return pos_; }
  int Step() const { return step_; }
  int State() const { return state_; }
  int AppliedPos() const { return appliedPos_; }
  int AppliedLower() const { return appliedLower_; }
  int AppliedUpper() const { return appliedUpper_; }
  int AppliedState() const { return appliedState_; }
  const std::wstring& Text() const { return text_; }

 protected:
  int SyncWithoutAnimation();
  NativeProgressBar* Native() const { return native_; }

 private:
  // The tail shared by StepIt, OffsetPos and SetPos once `pos_` has moved.
  template <class Send>
  int ApplyPos(Send send);

  NativeProgressBar* native_ = nullptr;
  ColourRef textColorOnBar_ = kColourHighlightText;  // text over the filled part
  ColourRef textColorOffBar_ = kColourWindowText;    // text over the empty part
  Rect textRect_;        // client rectangle shrunk by 1 pixel; set at every paint
  bool animate_ = true;  // false: changes go through SyncWithoutAnimation
  int lower_ = 0;        // range minimum as last requested
  int upper_ = 100;      // range maximum as last requested
  int pos_ = 0;          // position as last requested
  int step_ = 10;
  int state_ = pbst::kNormal;  // state as last requested
  int appliedPos_ = 0;         // position last applied by SyncWithoutAnimation
  int appliedLower_ = 0;
  int appliedUpper_ = 100;
  std::wstring text_;  // the text last accepted by WM_SETTEXT
  int appliedState_ = pbst::kNormal;
};

// The main window's bar: a click on it tells the parent.
class CCustomProgressCtrl : public CInfoProgressCtrl {
 public:
  void OnLButtonUp() override;
};

}  // namespace lorik
