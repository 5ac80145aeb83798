#include "grab/GrabChain.h"

#include <utility>

#include "core/AppName.h"
#include "platform/Clock.h"
#include "platform/PlatformValues.h"
#include "platform/WindowSystem.h"

namespace lorik {
namespace {

constexpr wchar_t kAllBlank[] =
    L"どの方法でもキャプチャ対象が真っ黒にしか取れません\n"
    L"ブラウザならハードウェアアクセラレーションをオフにしてみてください";

GrabMethod After(GrabMethod method) {
  return static_cast<GrabMethod>(static_cast<int>(method) + 1);
}

}  // namespace

GrabChain::GrabChain(ScreenGrabPort& inner, WindowSystemPort& windows, ProcessTablePort& processes,
                     ClockPort& clock, MessageBoxPort& messages)
    : inner_(inner),
      windows_(windows),
      processes_(processes),
      clock_(clock),
      blankMessage_(messages) {}

std::wstring GrabChain::KeyOf(WindowHandle source) {
  std::wstring exe;
  if (const uint32_t id = windows_.ProcessId(source); id != 0) {
    if (auto entries = processes_.Snapshot()) {
      for (const auto& entry : *entries) {
        if (entry.processId == id) {
          exe = entry.exeFile;
          break;
        }
      }
    }
  }
  return windows_.ClassName(source) + L'\n' + exe;
}

void GrabChain::Target::ForgetScreen() {
  screenRef.reset();
  screenChanged = false;
}

void GrabChain::Target::WatchFrom(const GrabGrid& grid, uint64_t now) {
  last = grid;
  unchangedSince = now;
  nextScreenSample = now + kScreenSampleMs;
  ForgetScreen();
}

GrabChain::Target& GrabChain::TargetOf(WindowHandle source, uint64_t now) {
  if (target_.source == source) return target_;
  Target fresh;
  fresh.source = source;
  fresh.key = KeyOf(source);
  if (auto known = methodOfKey_.find(fresh.key); known != methodOfKey_.end()) {
    fresh.method = known->second;
  }
  fresh.nextProbe = now + kProbeMs;
  target_ = std::move(fresh);
  return target_;
}

void GrabChain::SwitchTo(Target& target, GrabMethod method, uint64_t now) {
  target.method = method;
  inUse_ = method;
  methodOfKey_[target.key] = method;
  target.nextProbe = now + kProbeMs;
  target.last.reset();
  target.ForgetScreen();
  target.blankAcceptedUntil = 0;
  target.blankConfirmations = 0;
}

template <class Accept>
std::shared_ptr<const Picture> GrabChain::FindLater(Target& target, const Rect& area,
                                                    int bitsPerPixel, GrabMethod& found,
                                                    bool& screenTried, Accept accept) {
  screenTried = false;
  for (GrabMethod m = After(target.method); m <= GrabMethod::kScreen; m = After(m)) {
    if (m == GrabMethod::kScreen) {
      if (inner_.IsAreaCovered(target.source, area)) continue;
      screenTried = true;
    }
    std::shared_ptr<const Picture> picture = inner_.GrabBy(m, target.source, area, bitsPerPixel);
    if (picture && accept(SampleGrid(*picture))) {
      found = m;
      return picture;
    }
  }
  return nullptr;
}

std::shared_ptr<const Picture> GrabChain::Grab(WindowHandle source, const Rect& area,
                                               int bitsPerPixel) {
  if (!source || source == windows_.DesktopWindow()) {
    inUse_ = GrabMethod::kWindowDc;
    return inner_.Grab(source, area, bitsPerPixel);
  }
  const uint64_t now = clock_.TickCount();
  Target& target = TargetOf(source, now);

  if (target.method != GrabMethod::kWindowDc && now >= target.nextProbe) {
    target.nextProbe = now + kProbeMs;
    if (std::shared_ptr<const Picture> probe = inner_.Grab(source, area, bitsPerPixel)) {
      const GrabGrid grid = SampleGrid(*probe);
      if (!grid.IsBlank() && grid != target.staleGrid) {
        SwitchTo(target, GrabMethod::kWindowDc, now);
        target.staleGrid.reset();
        target.WatchFrom(grid, now);
        return probe;
      }
    }
  }

  // The screen shows whatever lies over the window; while something does,
  // the first method is the better guess.
  if (target.method == GrabMethod::kScreen && inner_.IsAreaCovered(source, area)) {
    inUse_ = GrabMethod::kWindowDc;
    return inner_.Grab(source, area, bitsPerPixel);
  }
  inUse_ = target.method;
  std::shared_ptr<const Picture> picture = inner_.GrabBy(target.method, source, area, bitsPerPixel);
  // The screen is what the user sees: nothing to check it against.
  if (!picture || target.method == GrabMethod::kScreen) return picture;
  const GrabGrid grid = SampleGrid(*picture);
  if (grid.IsBlank()) return OnBlank(target, std::move(picture), area, bitsPerPixel, now);
  target.blankAcceptedUntil = 0;
  target.blankConfirmations = 0;
  return WatchFrozen(target, std::move(picture), grid, area, bitsPerPixel, now);
}

std::shared_ptr<const Picture> GrabChain::OnBlank(Target& target,
                                                  std::shared_ptr<const Picture> picture,
                                                  const Rect& area, int bitsPerPixel,
                                                  uint64_t now) {
  target.last.reset();
  if (now < target.blankAcceptedUntil) return picture;
  GrabMethod found = target.method;
  bool screenTried = false;
  if (auto other = FindLater(target, area, bitsPerPixel, found, screenTried,
                             [](const GrabGrid& grid) { return !grid.IsBlank(); })) {
    SwitchTo(target, found, now);
    target.staleGrid.reset();
    return other;
  }
  target.blankAcceptedUntil = now + kConfirmMs;
  // The screen is black too: so is the window, and the grab is right.
  if (screenTried) {
    target.blankConfirmations = 0;
    return picture;
  }
  // Blank twice, a confirmation period apart, on every method that could be
  // tried: a black moment of a game does not count.
  // A program whose message could not open while another was open gets its
  // own later.
  if (++target.blankConfirmations >= 2 && !blankMessage_.IsOpen() &&
      reported_.insert(target.key).second) {
    blankMessage_.Show(kAllBlank, kAppName, mb::kOk | mb::kIconExclamation);
  }
  return picture;
}

std::shared_ptr<const Picture> GrabChain::WatchFrozen(Target& target,
                                                      std::shared_ptr<const Picture> picture,
                                                      const GrabGrid& grid, const Rect& area,
                                                      int bitsPerPixel, uint64_t now) {
  if (grid != target.last) {
    target.WatchFrom(grid, now);
    return picture;
  }
  if (now >= target.nextScreenSample) {
    target.nextScreenSample = now + kScreenSampleMs;
    if (inner_.IsAreaCovered(target.source, area)) {
      // What lies over the window changes the screen, not the window.
      target.ForgetScreen();
    } else if (auto screen =
                   inner_.GrabBy(GrabMethod::kScreen, target.source, area, bitsPerPixel)) {
      const GrabGrid shown = SampleGrid(*screen);
      if (!target.screenRef) {
        target.screenRef = shown;
      } else if (shown != *target.screenRef) {
        target.screenChanged = true;
      }
    }
  }
  if (!target.screenChanged || now - target.unchangedSince < kStaleMs) return picture;

  GrabMethod found = target.method;
  bool screenTried = false;
  if (auto other = FindLater(target, area, bitsPerPixel, found, screenTried,
                             [&](const GrabGrid& g) { return !g.IsBlank() && g != grid; })) {
    if (target.method == GrabMethod::kWindowDc) target.staleGrid = grid;
    SwitchTo(target, found, now);
    return other;
  }
  // Nothing better: watch again from here.
  target.unchangedSince = now;
  target.ForgetScreen();
  return picture;
}

}  // namespace lorik
