#pragma once
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "fakes/MemoryPicture.h"
#include "platform/ScreenGrab.h"

namespace lorik {

// Windows that exist or are hidden by handle value; each grab makes a new
// picture of the rectangle's size, numbered in its first byte, unless a
// prepared picture or a maker is set. Used on one thread.
class FakeScreenGrab final : public ScreenGrabPort {
 public:
  struct Call {
    WindowHandle source;
    Rect area;
    int bitsPerPixel;
    GrabMethod method = GrabMethod::kWindowDc;
  };

  bool IsWindow(WindowHandle source) override { return !gone.contains(source.value); }
  bool IsWindowVisible(WindowHandle source) override { return !hidden.contains(source.value); }
  std::shared_ptr<const Picture> Grab(WindowHandle source, const Rect& area,
                                      int bitsPerPixel) override {
    return GrabBy(GrabMethod::kWindowDc, source, area, bitsPerPixel);
  }
  std::shared_ptr<const Picture> GrabBy(GrabMethod method, WindowHandle source, const Rect& area,
                                        int bitsPerPixel) override {
    calls.push_back({source, area, bitsPerPixel, method});
    if (failPicture) return nullptr;
    if (scene) return scene(method);
    if (prepared) return prepared;
    // Numbered by the call, never 0: an all-zero picture is what a blank grab gives.
    auto picture = MemoryPicture::Filled(area.Width(), area.Height(), bitsPerPixel,
                                         static_cast<uint8_t>(1 + (calls.size() - 1) % 255));
    return picture;
  }
  bool IsAreaCovered(WindowHandle, const Rect&) override { return covered; }
  bool Answers(WindowHandle source) override { return !hung.contains(source.value); }

  std::set<uintptr_t> gone;                 // handles that no longer name a window
  std::set<uintptr_t> hidden;               // handles of invisible windows
  std::set<uintptr_t> hung;                 // handles of windows whose thread does not answer
  bool failPicture = false;                 // Grab returns no picture
  std::shared_ptr<const Picture> prepared;  // returned by every Grab when set
  // When set, every grab returns what it makes of the method.
  std::function<std::shared_ptr<const Picture>(GrabMethod)> scene;
  bool covered = false;  // what IsAreaCovered says
  std::vector<Call> calls;
};

}  // namespace lorik
