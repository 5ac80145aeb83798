#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/AppName.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeScreenGrab.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/MemoryPicture.h"
#include "grab/GrabChain.h"
#include "grab/GrabGrid.h"
#include "platform/PlatformValues.h"

namespace lorik {
namespace {

constexpr Rect kArea{0, 0, 64, 48};
constexpr uint64_t kTickMs = 100;

// What one method of the scene shows, as a function of the time since the start.
enum class Shows { kLive, kFrozen, kBlank };
using Show = std::function<Shows(uint64_t elapsedMs)>;

Show Always(Shows shows) {
  return [shows](uint64_t) { return shows; };
}
Show BlankUntil(uint64_t ms) {
  return [ms](uint64_t elapsed) { return elapsed < ms ? Shows::kBlank : Shows::kLive; };
}

std::string Name(GrabMethod method) {
  switch (method) {
    case GrabMethod::kWindowDc:
      return "window DC";
    case GrabMethod::kPrintWindow:
      return "PrintWindow";
    case GrabMethod::kScreen:
      return "screen";
  }
  return "?";
}

// A window whose methods each show live, frozen or blank pictures; live ones
// differ from every earlier one, and each method's pictures differ from the
// others', so the picture a grab returns tells which method made it.
class ChainFixture : public testing::Test {
 protected:
  static constexpr uintptr_t kBrowser = 0x500;
  static constexpr uint32_t kBrowserProcess = 40;

  ChainFixture() {
    processes.Add(kBrowserProcess, L"browser.exe");
    processes.Add(41, L"other.exe");
    windows.AddWindow(kBrowser, {}, L"BrowserFrame", L"game", 0, kBrowserProcess, {640, 480});
    grab.scene = [this](GrabMethod method) { return Make(method); };
  }

  void SetScene(Show dc, Show printed, Show screen) {
    shows[GrabMethod::kWindowDc] = std::move(dc);
    shows[GrabMethod::kPrintWindow] = std::move(printed);
    shows[GrabMethod::kScreen] = std::move(screen);
  }

  std::shared_ptr<const Picture> Make(GrabMethod method) {
    const uint64_t elapsed = clock.TickCount() - start;
    const uint8_t base = static_cast<uint8_t>(1 + 80 * static_cast<int>(method));
    uint8_t fill = 0;
    switch (shows.at(method)(elapsed)) {
      case Shows::kBlank:
        fill = 0;
        break;
      case Shows::kFrozen:
        fill = base;
        break;
      case Shows::kLive:
        fill = static_cast<uint8_t>(base + 1 + (++live[method]) % 70);
        break;
    }
    auto picture = MemoryPicture::Filled(kArea.Width(), kArea.Height(), 32, fill);
    made.emplace_back(method, picture);
    return picture;
  }

  // A chain that knows nothing yet, as at start-up.
  void Restart() { chain = std::make_unique<GrabChain>(grab, windows, processes, clock, messages); }

  // Runs `ticks` grabs of `source`, one per capture period; the method whose
  // picture the last one returned. Every grab must return a picture one of the
  // methods made in its own tick.
  GrabMethod Run(int ticks, WindowHandle source = WindowHandle{kBrowser}) {
    std::optional<GrabMethod> from;
    for (int i = 0; i < ticks; ++i) {
      clock.Advance(kTickMs);
      const size_t before = made.size();  // a message box may run nested ticks
      const std::shared_ptr<const Picture> got = chain->Grab(source, kArea, 32);
      from.reset();
      for (size_t k = before; k < made.size(); ++k) {
        if (made[k].second == got) from = made[k].first;
      }
      if (!from) {
        ADD_FAILURE() << "tick " << i << ": no method made the picture returned";
        return GrabMethod::kWindowDc;
      }
    }
    return from.value_or(GrabMethod::kWindowDc);
  }

  size_t CallsBy(GrabMethod method) const {
    size_t n = 0;
    for (const auto& call : grab.calls) n += call.method == method ? 1 : 0;
    return n;
  }

  FakeScreenGrab grab;
  FakeWindowSystem windows;
  FakeProcessTable processes;
  FakeClock clock;
  FakeMessageBox messages;
  std::unique_ptr<GrabChain> chain =
      std::make_unique<GrabChain>(grab, windows, processes, clock, messages);
  const uint64_t start = clock.TickCount();
  std::map<GrabMethod, Show> shows;
  std::map<GrabMethod, int> live;  // live pictures made, by method
  // Every picture made, in order, with its method.
  std::vector<std::pair<GrabMethod, std::shared_ptr<const Picture>>> made;
};

TEST_F(ChainFixture, SettlesOnTheFirstMethodThatShowsTheWindow) {
  struct Case {
    const char* name;
    Shows dc, printed, screen;
    bool covered;
    int ticks;
    GrabMethod method;  // in use and the one that made the last picture
    size_t messages;
  };
  const Case cases[] = {
      {"a page that changes", Shows::kLive, Shows::kLive, Shows::kLive, false, 50,
       GrabMethod::kWindowDc, 0},
      {"an idle page", Shows::kFrozen, Shows::kFrozen, Shows::kFrozen, false, 50,
       GrabMethod::kWindowDc, 0},
      {"composed page", Shows::kBlank, Shows::kLive, Shows::kLive, false, 50,
       GrabMethod::kPrintWindow, 0},
      {"composed page PrintWindow cannot read", Shows::kBlank, Shows::kBlank, Shows::kLive, false,
       50, GrabMethod::kScreen, 0},
      {"the screen is black too: a black game", Shows::kBlank, Shows::kBlank, Shows::kBlank, false,
       100, GrabMethod::kWindowDc, 0},
      {"blank everywhere the chain may look", Shows::kBlank, Shows::kBlank, Shows::kLive, true, 100,
       GrabMethod::kWindowDc, 1},
      {"flip-model game", Shows::kFrozen, Shows::kLive, Shows::kLive, false, 50,
       GrabMethod::kPrintWindow, 0},
      {"flip-model game PrintWindow freezes too", Shows::kFrozen, Shows::kFrozen, Shows::kLive,
       false, 80, GrabMethod::kScreen, 0},
      {"frozen game under another window", Shows::kFrozen, Shows::kLive, Shows::kLive, true, 80,
       GrabMethod::kWindowDc, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    messages.Clear();
    SetScene(Always(c.dc), Always(c.printed), Always(c.screen));
    grab.covered = c.covered;
    const GrabMethod from = Run(c.ticks);
    EXPECT_EQ(Name(from), Name(c.method));
    EXPECT_EQ(Name(chain->MethodInUse()), Name(c.method));
    EXPECT_EQ(messages.Count(), c.messages);
  }
}

TEST_F(ChainFixture, AWindowThatGrabsWellIsGrabbedOncePerTick) {
  SetScene(Always(Shows::kLive), Always(Shows::kLive), Always(Shows::kLive));
  Run(50);
  EXPECT_EQ(grab.calls.size(), 50u);
  EXPECT_EQ(CallsBy(GrabMethod::kWindowDc), 50u);
}

TEST_F(ChainFixture, AnIdlePageOnlyHasTheScreenLookedAtNowAndThen) {
  SetScene(Always(Shows::kFrozen), Always(Shows::kLive), Always(Shows::kFrozen));
  EXPECT_EQ(Name(Run(100)), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(CallsBy(GrabMethod::kWindowDc), 100u);
  EXPECT_EQ(CallsBy(GrabMethod::kPrintWindow), 0u);
  // One look a second at most, over ten seconds.
  EXPECT_LE(CallsBy(GrabMethod::kScreen), 10u);
}

TEST_F(ChainFixture, ABlankIsConfirmedByTheNextMethodInTheSameTick) {
  SetScene(Always(Shows::kBlank), Always(Shows::kLive), Always(Shows::kLive));
  EXPECT_EQ(Name(Run(1)), Name(GrabMethod::kPrintWindow));
  ASSERT_EQ(grab.calls.size(), 2u);
  EXPECT_EQ(Name(grab.calls[0].method), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(Name(grab.calls[1].method), Name(GrabMethod::kPrintWindow));
  EXPECT_EQ(grab.calls[1].area, kArea);
}

TEST_F(ChainFixture, ABlackMomentOfAGameKeepsTheFirstMethodAndSaysNothing) {
  grab.covered = true;
  SetScene(BlankUntil(1500), BlankUntil(1500), BlankUntil(1500));
  EXPECT_EQ(Name(Run(1)), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(CallsBy(GrabMethod::kPrintWindow), 1u);
  // Taken as black for a while: no more confirmations in every tick.
  Run(10);
  EXPECT_EQ(CallsBy(GrabMethod::kPrintWindow), 1u);
  EXPECT_EQ(Name(Run(30)), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(Name(chain->MethodInUse()), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(messages.Count(), 0u);
}

TEST_F(ChainFixture, AFrozenPictureCountsAfterAboutTwoSeconds) {
  SetScene(Always(Shows::kFrozen), Always(Shows::kLive), Always(Shows::kLive));
  EXPECT_EQ(Name(Run(15)), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(Name(Run(10)), Name(GrabMethod::kPrintWindow));
  // The first method's old picture is no content to go back to.
  EXPECT_EQ(Name(Run(100)), Name(GrabMethod::kPrintWindow));
  EXPECT_GT(CallsBy(GrabMethod::kWindowDc), 25u);
}

TEST_F(ChainFixture, TheFirstMethodIsTakenBackWhenItShowsContentAgain) {
  SetScene(BlankUntil(3000), Always(Shows::kLive), Always(Shows::kLive));
  EXPECT_EQ(Name(Run(1)), Name(GrabMethod::kPrintWindow));
  EXPECT_EQ(Name(Run(28)), Name(GrabMethod::kPrintWindow));
  EXPECT_EQ(Name(Run(1 + GrabChain::kProbeMs / kTickMs)), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(Name(chain->MethodInUse()), Name(GrabMethod::kWindowDc));
  const size_t printed = CallsBy(GrabMethod::kPrintWindow);
  Run(20);
  EXPECT_EQ(CallsBy(GrabMethod::kPrintWindow), printed);
}

TEST_F(ChainFixture, AMethodFoundIsKeptForTheClassAndProcessName) {
  SetScene(Always(Shows::kBlank), Always(Shows::kLive), Always(Shows::kLive));
  Run(3);
  // Another window of the same program, in another process of the same name.
  processes.Add(42, L"browser.exe");
  const WindowHandle sibling =
      windows.AddWindow(0x600, {}, L"BrowserFrame", L"other tab", 0, 42, {640, 480});
  const WindowHandle stranger =
      windows.AddWindow(0x700, {}, L"BrowserFrame", L"", 0, 41, {640, 480});
  grab.calls.clear();
  EXPECT_EQ(Name(Run(1, sibling)), Name(GrabMethod::kPrintWindow));
  ASSERT_EQ(grab.calls.size(), 1u);
  EXPECT_EQ(Name(grab.calls[0].method), Name(GrabMethod::kPrintWindow));
  grab.calls.clear();
  SetScene(Always(Shows::kLive), Always(Shows::kLive), Always(Shows::kLive));
  EXPECT_EQ(Name(Run(1, stranger)), Name(GrabMethod::kWindowDc));
  ASSERT_EQ(grab.calls.size(), 1u);
  EXPECT_EQ(Name(grab.calls[0].method), Name(GrabMethod::kWindowDc));
}

TEST_F(ChainFixture, OneMessagePerProgramWhenEveryMethodIsBlank) {
  grab.covered = true;
  SetScene(Always(Shows::kBlank), Always(Shows::kBlank), Always(Shows::kLive));
  EXPECT_EQ(Name(Run(15)), Name(GrabMethod::kWindowDc));
  EXPECT_EQ(messages.Count(), 0u);
  Run(20);
  ASSERT_EQ(messages.Count(), 1u);
  const FakeMessageBox::Shown shown = messages.Messages()[0];
  EXPECT_NE(shown.text.find(L"ハードウェアアクセラレーション"), std::wstring::npos);
  EXPECT_EQ(shown.caption, kAppName);
  EXPECT_EQ(shown.style, mb::kOk | mb::kIconExclamation);
  Run(100);
  processes.Add(42, L"browser.exe");
  Run(100, windows.AddWindow(0x600, {}, L"BrowserFrame", L"", 0, 42, {640, 480}));
  EXPECT_EQ(messages.Count(), 1u);
  Run(100, windows.AddWindow(0x700, {}, L"OtherFrame", L"", 0, 42, {640, 480}));
  EXPECT_EQ(messages.Count(), 2u);
}

TEST_F(ChainFixture, TicksWhileTheMessageIsOpenStackNoOther) {
  grab.covered = true;
  SetScene(Always(Shows::kBlank), Always(Shows::kBlank), Always(Shows::kBlank));
  processes.Add(42, L"other.exe");
  const WindowHandle other = windows.AddWindow(0x600, {}, L"OtherFrame", L"", 0, 42, {640, 480});
  int nested = 0;
  messages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    if (nested++ == 0) Run(50, other);
  });
  Run(50);
  EXPECT_EQ(messages.Count(), 1u);
  EXPECT_GT(nested, 0);
  // The other program's message comes once none is open.
  Run(50, other);
  EXPECT_EQ(messages.Count(), 2u);
}

TEST_F(ChainFixture, TheDesktopIsGrabbedAsBefore) {
  SetScene(Always(Shows::kBlank), Always(Shows::kLive), Always(Shows::kLive));
  Run(30, FakeWindowSystem::kDesktop);
  EXPECT_EQ(CallsBy(GrabMethod::kWindowDc), 30u);
  EXPECT_EQ(grab.calls.size(), 30u);
  EXPECT_EQ(messages.Count(), 0u);
}

TEST(GrabGrid, BlankMeansEverySampleZero) {
  auto picture = MemoryPicture::Filled(100, 80, 24, 0);
  EXPECT_TRUE(SampleGrid(*picture).IsBlank());
  // One sampled pixel of 24 bits: the centre of the grid's first cell.
  const int x = 100 / (2 * GrabGrid::kSide);
  const int y = 80 / (2 * GrabGrid::kSide);
  picture->MutableBits()[static_cast<size_t>(80 - 1 - y) * picture->Pitch() + x * 3 + 2] = 1;
  const GrabGrid grid = SampleGrid(*picture);
  EXPECT_FALSE(grid.IsBlank());
  EXPECT_EQ(grid.samples[0], 0x010000u);
  // The fourth byte of a 32-bit pixel counts too.
  auto wide = MemoryPicture::Filled(20, 20, 32, 0);
  for (int row = 0; row < 20; ++row) {
    for (int col = 0; col < 20; ++col) wide->MutableBits()[row * wide->Pitch() + col * 4 + 3] = 7;
  }
  EXPECT_FALSE(SampleGrid(*wide).IsBlank());
}

}  // namespace
}  // namespace lorik
