#include "target/TargetTracker.h"

#include <algorithm>
#include <utility>

#include "core/AppName.h"
#include "platform/MessageBox.h"
#include "platform/WindowSystem.h"

namespace lorik {
namespace {

constexpr wchar_t kSizeChanged[] =
    L"ウィンドウサイズが変更されました。正しくキャプチャできないかもしれません。";
constexpr wchar_t kRecognizeAgain[] = L"再度、キャプチャ領域を自動認識しますか？";
constexpr wchar_t kTargetGone[] = L"キャプチャ対象が離脱!";

void Offset(Rect& rect, int32_t dx, int32_t dy) {
  rect.left += dx;
  rect.right += dx;
  rect.top += dy;
  rect.bottom += dy;
}

}  // namespace

TargetTracker::TargetTracker(CaptureSettings& capture, WindowSystemPort& windows,
                             MessageBoxPort& messages, FindTarget findTarget,
                             RecognizeArea recognizeArea)
    : capture_(capture),
      windows_(windows),
      messages_(messages),
      findTarget_(std::move(findTarget)),
      recognizeArea_(std::move(recognizeArea)),
      resizeMessage_(messages),
      searchMessages_(messages) {}

TargetTracker::State TargetTracker::GetState() const {
  if (capture_.targetWindow) return State::LockedOn;
  return capture_.automaticallyRecaptureAfterLost ? State::Searching : State::Stopped;
}

void TargetTracker::ResearchStep() {
  if (!capture_.automaticallyRecaptureAfterLost || capture_.targetWindow) return;
  WindowHandle found;
  if (!searchMessages_.Run([&] { found = findTarget_(capture_); })) return;
  capture_.targetWindow = found;
}

void TargetTracker::TrackingStep() {
  if (!capture_.captureFromDesktop) return;
  // The port reads a window that no longer exists as an empty rectangle.
  const Rect rc = windows_.WindowRect(capture_.trackedWindow);
  const Rect last = capture_.trackedRect;
  if (rc == last) {
    if (resizeQuietTicks_ > 0) --resizeQuietTicks_;
    return;
  }
  if (rc.GetSize() == last.GetSize()) {
    Offset(capture_.captureArea, rc.left - last.left, rc.top - last.top);
    capture_.trackedRect = rc;
    return;
  }

  // Recorded before any message, so the ticks that run inside the messages see
  // an unchanged rectangle.
  const uint32_t wasQuiet = resizeQuietTicks_;
  // A period of 0 never passes the settings check; it must not divide here either.
  resizeQuietTicks_ = kResizeQuietMs / std::max<uint32_t>(capture_.periodBetweenEachCapture, 1);
  capture_.trackedRect = rc;
  if (wasQuiet != 0) return;
  // A long period gives no quiet ticks at all, and an open question counts them
  // down to 0: a change seen inside an open message stays silent as well.
  if (resizeMessage_.IsOpen()) return;
  ReportResize();
}

void TargetTracker::ReportResize() {
  if (!capture_.showDialogOnLost) return;
  resizeMessage_.Run([this] { AskAboutResize(); });
}

// The warning, the question and the re-recognition count as one open message.
void TargetTracker::AskAboutResize() {
  messages_.Show(kSizeChanged, kAppName, mb::kIconExclamation | mb::kTopmost);
  if (!capture_.automaticallyRecaptureAfterLost) return;
  if (messages_.Show(kRecognizeAgain, kAppName, mb::kYesNo | mb::kIconQuestion | mb::kTopmost) !=
      mb::kIdYes)
    return;

  // A closed window has nothing to recognise: its empty rectangle would
  // replace the configured area. It may also close while the question waits.
  // Its empty rectangle is recorded now, so that the closing is not reported
  // once more as a change of size.
  if (!windows_.IsWindow(capture_.trackedWindow)) {
    capture_.trackedRect = windows_.WindowRect(capture_.trackedWindow);
    messages_.Show(kTargetGone, kAppName, mb::kOk);
    return;
  }
  const WindowHandle remembered = capture_.targetWindow;
  const Rect configured = capture_.captureArea;
  capture_.targetWindow = capture_.trackedWindow;
  if (recognizeArea_(capture_)) {
    // The result is relative to the window's outer corner; the capture reads the screen.
    const Rect window = windows_.WindowRect(capture_.trackedWindow);
    Offset(capture_.captureArea, window.left, window.top);
  } else if (capture_.captureArea.Width() <= 0 || capture_.captureArea.Height() <= 0) {
    // A failure on a window that went meanwhile leaves no area to grab.
    capture_.captureArea = configured;
  }
  capture_.targetWindow = remembered;
  resizeQuietTicks_ = 0;
}

}  // namespace lorik
