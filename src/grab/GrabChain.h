#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "grab/GrabGrid.h"
#include "platform/ExclusiveMessage.h"
#include "platform/ScreenGrab.h"

namespace lorik {

class ClockPort;
class WindowSystemPort;
class ProcessTablePort;

// The screen grab of window mode with a way out for windows whose window-DC
// grab fails: a window drawn by the compositor grabs as all 0x00000000, a
// flip-model game as its last GDI picture over and over. Every grab samples a
// grid of the picture; a blank one is confirmed by the next method before the
// chain switches to it, a frozen one only counts while the screen at the
// window changes. The method a target ends up with is kept for its class and
// process name for the rest of the run; the first method is tried again now
// and then and taken back once it gives content. User-interface thread only.
class GrabChain final : public ScreenGrabPort {
 public:
  // Frozen grid this long while the screen changed: stale.
  static constexpr uint64_t kStaleMs = 2000;
  // How often the screen at a frozen window is looked at.
  static constexpr uint64_t kScreenSampleMs = 1000;
  // How often a switched target tries the first method again.
  static constexpr uint64_t kProbeMs = 2000;
  // How long a blank that every method confirmed is taken as black.
  static constexpr uint64_t kConfirmMs = 2000;

  GrabChain(ScreenGrabPort& inner, WindowSystemPort& windows, ProcessTablePort& processes,
            ClockPort& clock, MessageBoxPort& messages);

  bool IsWindow(WindowHandle source) override { return inner_.IsWindow(source); }
  bool IsWindowVisible(WindowHandle source) override { return inner_.IsWindowVisible(source); }
  std::shared_ptr<const Picture> Grab(WindowHandle source, const Rect& area,
                                      int bitsPerPixel) override;
  std::shared_ptr<const Picture> GrabBy(GrabMethod method, WindowHandle source, const Rect& area,
                                        int bitsPerPixel) override {
    return inner_.GrabBy(method, source, area, bitsPerPixel);
  }
  bool Answers(WindowHandle source) override { return inner_.Answers(source); }
  bool IsAreaCovered(WindowHandle source, const Rect& area) override {
    return inner_.IsAreaCovered(source, area);
  }

  // The method of the last grab; kWindowDc before the first and for the desktop.
  GrabMethod MethodInUse() const { return inUse_; }

 private:
  struct Target {
    WindowHandle source;
    std::wstring key;  // class name and process name
    GrabMethod method = GrabMethod::kWindowDc;
    uint64_t nextProbe = 0;
    // The grid the first method was frozen on when the chain left it.
    std::optional<GrabGrid> staleGrid;
    // Frozen-grid watch.
    std::optional<GrabGrid> last;
    uint64_t unchangedSince = 0;
    uint64_t nextScreenSample = 0;
    std::optional<GrabGrid> screenRef;
    bool screenChanged = false;
    // Blank on every method that could be tried.
    uint64_t blankAcceptedUntil = 0;
    int blankConfirmations = 0;

    // Drops what the screen at the window was seen to do.
    void ForgetScreen();
    // Starts the frozen-grid watch on `grid`.
    void WatchFrom(const GrabGrid& grid, uint64_t now);
  };

  Target& TargetOf(WindowHandle source, uint64_t now);
  std::wstring KeyOf(WindowHandle source);
  // The target, and every window of its key, now grabs by `method`: starts afresh.
  void SwitchTo(Target& target, GrabMethod method, uint64_t now);
  std::shared_ptr<const Picture> OnBlank(Target& target, std::shared_ptr<const Picture> picture,
                                         const Rect& area, int bitsPerPixel, uint64_t now);
  std::shared_ptr<const Picture> WatchFrozen(Target& target, std::shared_ptr<const Picture> picture,
                                             const GrabGrid& grid, const Rect& area,
                                             int bitsPerPixel, uint64_t now);
  // The first method after the current one whose picture passes `accept`;
  // the screen only while the area is uncovered. Sets `screenTried`.
  template <class Accept>
  std::shared_ptr<const Picture> FindLater(Target& target, const Rect& area, int bitsPerPixel,
                                           GrabMethod& found, bool& screenTried, Accept accept);

  ScreenGrabPort& inner_;
  WindowSystemPort& windows_;
  ProcessTablePort& processes_;
  ClockPort& clock_;
  Target target_;
  std::map<std::wstring, GrabMethod> methodOfKey_;
  std::set<std::wstring> reported_;
  GrabMethod inUse_ = GrabMethod::kWindowDc;
  ExclusiveMessage blankMessage_;
};

}  // namespace lorik
