#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeMessageBox.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeTrace.h"
#include "fakes/FakeWindowSystem.h"
#include "target/TargetSearch.h"

namespace lorik {
namespace {

constexpr uint32_t kGame = 10;     // "game.exe"
constexpr uint32_t kOther = 20;    // "other.exe"
constexpr uint32_t kMissing = 30;  // owns windows, absent from the snapshot
constexpr Size kTarget{800, 600};
constexpr Size kWrong{640, 480};

constexpr char kSizeMatched[] = "size matched\n";
constexpr char kTitleOnly[] = "Size not matched, but title matched\n";
constexpr wchar_t kNoApplicationInfo[] = L"アプリケーション情報を取得できませんでした";

WindowHandle H(uintptr_t value) {
  return WindowHandle{value};
}

// Public members: the case table below builds desktops through them.
class TargetSearchTest : public ::testing::Test {
 public:
  TargetSearchTest() {
    processes.Add(4, L"System");
    processes.Add(kGame, L"game.exe");
    processes.Add(kOther, L"other.exe");
    description.appName = L"game.exe";
    description.className = L"GameView";
    description.controlId = 7;
    description.title = L"Game";
    description.targetWidth = kTarget.width;
    description.targetHeight = kTarget.height;
  }

  WindowHandle Top(uintptr_t handle, uint32_t process, std::wstring cls, std::wstring title, int id,
                   Size client) {
    return windows.AddWindow(handle, {}, std::move(cls), std::move(title), id, process, client);
  }
  WindowHandle Child(uintptr_t handle, uintptr_t parent, uint32_t process, std::wstring cls,
                     std::wstring title, int id, Size client) {
    return windows.AddWindow(handle, H(parent), std::move(cls), std::move(title), id, process,
                             client);
  }
  std::vector<std::string> Lines() const { return trace.Lines(); }

  FakeWindowSystem windows;
  FakeProcessTable processes;
  FakeMessageBox messages;
  FakeTrace trace;
  TargetSearch search{windows, processes, messages, trace};
  CaptureSettings description;
};

// Each case builds a desktop, may change the description, and names the
// window the search must return (0: none) and the one trace line it must write
// (empty: none). No case may show a message.
struct SearchCase {
  const char* name;
  void (*build)(TargetSearchTest&, CaptureSettings&);
  uintptr_t expected;
  const char* traceLine;
};

class TargetSearchCases : public TargetSearchTest,
                          public ::testing::WithParamInterface<SearchCase> {};

TEST_P(TargetSearchCases, ReturnsTheExpectedWindow) {
  const SearchCase& c = GetParam();
  c.build(*this, description);
  EXPECT_EQ(search.FindTargetWindow(description), H(c.expected));
  if (*c.traceLine) {
    EXPECT_EQ(Lines(), std::vector<std::string>{c.traceLine});
  } else {
    EXPECT_TRUE(Lines().empty());
  }
  EXPECT_EQ(messages.Count(), 0u);
}

const SearchCase kSearchCases[] = {
    {"NothingMatches",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Other", L"Other", 7, kTarget);
       t.Top(0x200, kOther, L"GameView", L"Game", 7, kTarget);
     },
     0, ""},
    {"ClassAndIdMatchOfTopLevelWhateverItsTitle",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"GameView", L"Something else", 7, kWrong);
     },
     0x100, ""},
    {"ClassAndIdMatchWinsOverEarlierSizedTitleMatch",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kTarget);
       t.Top(0x200, kGame, L"GameView", L"Other", 7, kWrong);
     },
     0x200, ""},
    {"ClassWithoutIdIsNoClassAndIdMatch",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"GameView", L"Other", 8, kTarget);
       t.Top(0x200, kGame, L"Frame", L"Game", 7, kTarget);
     },
     0x200, kSizeMatched},
    {"ComparisonsAreCaseSensitive",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"gameview", L"game", 7, kTarget);
       t.processes.Add(40, L"GAME.EXE");
       t.Top(0x200, 40, L"GameView", L"Game", 7, kTarget);
     },
     0, ""},
    {"ClassAndIdMatchOfOtherApplicationIsSkipped",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kOther, L"GameView", L"Game", 7, kTarget);
       t.Top(0x200, kGame, L"Frame", L"Game", 0, kWrong);
     },
     0x200, kTitleOnly},
    {"SmallerHandleOfTwoUnsizedTitleMatchesWhateverTheEnumerationOrder",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x300, kGame, L"Frame", L"Game", 0, kWrong);
       t.Top(0x200, kGame, L"Frame", L"Game", 0, kWrong);
     },
     0x200, kTitleOnly},
    {"HandlesCompareUnsigned",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0xFFFFFFFF80000010u, kGame, L"Frame", L"Game", 0, kWrong);
       t.Top(0x7FFF0010, kGame, L"Frame", L"Game", 0, kWrong);
     },
     0x7FFF0010, kTitleOnly},
    {"SecondTitleMatchWithTheSize",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Top(0x200, kGame, L"Frame", L"Game", 0, kTarget);
     },
     0x200, kSizeMatched},
    {"WidthAloneIsNoSizeMatch",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Top(0x200, kGame, L"Frame", L"Game", 0, {kTarget.width, kWrong.height});
       t.Top(0x300, kGame, L"Frame", L"Game", 0, {kWrong.width, kTarget.height});
     },
     0x100, kTitleOnly},
    {"DescendantClassAndIdMatchBelowOtherTitleIsNotFound",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Other", 0, kWrong);
       t.Child(0x110, 0x100, kGame, L"GameView", L"", 7, kTarget);
     },
     0, ""},
    {"DescendantClassAndIdMatchWinsOverEarlierSizedTitleMatch",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kTarget);
       t.Top(0x200, kGame, L"Frame", L"Game", 0, kWrong);
       t.Child(0x210, 0x200, kGame, L"GameView", L"", 7, kWrong);
     },
     0x210, ""},
    {"DescendantOfOtherProcessIsExamined",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Child(0x110, 0x100, kOther, L"GameView", L"", 7, kWrong);
     },
     0x110, ""},
    {"GrandchildClassAndIdMatch",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Child(0x110, 0x100, kGame, L"Panel", L"", 1, kWrong);
       t.Child(0x120, 0x110, kGame, L"GameView", L"", 7, kWrong);
     },
     0x120, ""},
    {"DescendantsInAscendingHandleOrder",
     [](TargetSearchTest& t, CaptureSettings&) {
       // Enumerated 0x130, 0x120 (grandchild), 0x110; visited 0x110 first.
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Child(0x130, 0x100, kGame, L"Panel", L"", 1, kWrong);
       t.Child(0x120, 0x130, kGame, L"GameView", L"", 7, kWrong);
       t.Child(0x110, 0x100, kGame, L"GameView", L"", 7, kWrong);
     },
     0x110, ""},
    {"SizedDescendantsAfterUnsizedTopLevel",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Child(0x130, 0x100, kGame, L"Panel", L"", 1, kWrong);
       t.Child(0x120, 0x130, kGame, L"Panel", L"Game", 2, kTarget);
       t.Child(0x110, 0x100, kGame, L"Panel", L"Game", 3, kTarget);
     },
     0x110, kSizeMatched},
    {"SizedTopLevelBeforeItsSizedDescendant",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kTarget);
       t.Child(0x050, 0x100, kGame, L"Panel", L"Game", 1, kTarget);
     },
     0x100, kSizeMatched},
    {"DescendantsOfFirstTopLevelBeforeNextTopLevel",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Child(0x900, 0x100, kGame, L"Panel", L"Game", 1, kTarget);
       t.Top(0x200, kGame, L"Frame", L"Game", 0, kTarget);
     },
     0x900, kSizeMatched},
    {"UntitledDescendantsAreNoTitleMatches",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
       t.Child(0x110, 0x100, kGame, L"Panel", L"Other", 1, kTarget);
     },
     0x100, kTitleOnly},
    {"ProcessMissingFromSnapshotHasNoName",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.Top(0x100, kMissing, L"GameView", L"Game", 7, kTarget);
     },
     0, ""},
    {"EmptyAppNameMatchesOnlyProcessesMissingFromSnapshot",
     [](TargetSearchTest& t, CaptureSettings& d) {
       d.appName.clear();
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kTarget);
       t.Top(0x200, kMissing, L"Frame", L"Game", 0, kWrong);
     },
     0x200, kTitleOnly},
    {"ControlIdMinusOneFoundThroughTitle",
     [](TargetSearchTest& t, CaptureSettings& d) {
       d.controlId = -1;
       t.Top(0x100, kGame, L"GameView", L"Other", 0, kTarget);
       t.Top(0x200, kGame, L"GameView", L"Game", 0, kTarget);
     },
     0x200, kSizeMatched},
    {"ControlIdMinusOneMatchesWindowReportingMinusOne",
     [](TargetSearchTest& t, CaptureSettings& d) {
       d.controlId = -1;
       t.Top(0x100, kGame, L"GameView", L"Other", -1, kWrong);
     },
     0x100, ""},
    {"ZeroSizeMatchesEmptyClientArea",
     [](TargetSearchTest& t, CaptureSettings& d) {
       d.targetWidth = d.targetHeight = 0;
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kTarget);
       t.Top(0x200, kGame, L"Frame", L"Game", 0, {0, 0});
     },
     0x200, kSizeMatched},
    {"ZeroSizeWithoutEmptyClientAreaTakesFirstTitleMatch",
     [](TargetSearchTest& t, CaptureSettings& d) {
       d.targetWidth = d.targetHeight = 0;
       t.Top(0x200, kGame, L"Frame", L"Game", 0, kTarget);
       t.Top(0x100, kGame, L"Frame", L"Game", 0, kWrong);
     },
     0x100, kTitleOnly},
    {"LaterSnapshotEntryOverwritesName",
     [](TargetSearchTest& t, CaptureSettings&) {
       t.processes.Add(kGame, L"renamed.exe");
       t.Top(0x100, kGame, L"GameView", L"Game", 7, kTarget);
       t.processes.Add(kOther, L"game.exe");
       t.Top(0x200, kOther, L"GameView", L"Game", 7, kTarget);
     },
     0x200, ""},
};

INSTANTIATE_TEST_SUITE_P(Desktops, TargetSearchCases, ::testing::ValuesIn(kSearchCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TargetSearchTest, DescendantsAreEnumeratedOnlyBelowTitleMatchesOfTheApplication) {
  Top(0x100, kGame, L"Frame", L"Other", 0, kWrong);
  Top(0x200, kOther, L"Frame", L"Game", 0, kWrong);
  Top(0x300, kGame, L"Frame", L"Game", 0, kWrong);
  Top(0x400, kGame, L"Frame", L"Game", 0, kWrong);
  EXPECT_EQ(search.FindTargetWindow(description), H(0x300));
  EXPECT_EQ(windows.DescendantQueries(), (std::vector{H(0x300), H(0x400)}));
}

TEST_F(TargetSearchTest, FindsAWindowAgainAfterItIsRecreated) {
  Top(0x100, kGame, L"Frame", L"Game", 0, kTarget);
  ASSERT_EQ(search.FindTargetWindow(description), H(0x100));
  windows.Destroy(H(0x100));
  EXPECT_EQ(search.FindTargetWindow(description), WindowHandle{});
  Top(0x180, kGame, L"Frame", L"Game", 0, kTarget);
  EXPECT_EQ(search.FindTargetWindow(description), H(0x180));
  EXPECT_EQ(processes.snapshots, 3);
}

struct FailureCase {
  const char* name;
  ProcessTablePort::Status snapshot;
  bool enumFails;
  const wchar_t* message;
  const char* traceLine;  // empty: none
};

class TargetSearchFailures : public TargetSearchTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TargetSearchFailures, ShowOneErrorAndReturnNull) {
  const FailureCase& c = GetParam();
  Top(0x100, kGame, L"GameView", L"Game", 7, kTarget);
  processes.failWith = c.snapshot;
  windows.FailTopLevelWindows(c.enumFails);

  EXPECT_EQ(search.FindTargetWindow(description), WindowHandle{});
  EXPECT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{{c.message, L"Lorik", mb::kIconError}}));
  if (*c.traceLine) {
    EXPECT_EQ(Lines(), std::vector<std::string>{c.traceLine});
    EXPECT_EQ(windows.TopLevelQueries(), 0) << "no enumeration without a process table";
  } else {
    EXPECT_TRUE(Lines().empty());
  }

  // The failure is not remembered: the next search succeeds once it has gone.
  processes.failWith = ProcessTablePort::Status::kOk;
  windows.FailTopLevelWindows(false);
  EXPECT_EQ(search.FindTargetWindow(description), H(0x100));
  EXPECT_EQ(messages.Count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, TargetSearchFailures,
    ::testing::Values(FailureCase{"Snapshot", ProcessTablePort::Status::kSnapshotFailed, false,
                                  kNoApplicationInfo, "Failed to take snapshot of process\n"},
                      FailureCase{"FirstEntry", ProcessTablePort::Status::kFirstEntryFailed, false,
                                  kNoApplicationInfo, "Failed to process process's snapshot\n"},
                      FailureCase{"EnumWindows", ProcessTablePort::Status::kOk, true,
                                  L"Failed to enum windows", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TargetSearchTest, BuildProcessTableKeepsTheLastNameOfAnId) {
  processes.Add(kGame, L"second.exe");
  TargetSearch::ProcessTable table;
  ASSERT_TRUE(search.BuildProcessTable(table));
  EXPECT_EQ(table, (TargetSearch::ProcessTable{
                       {4, L"System"}, {kGame, L"second.exe"}, {kOther, L"other.exe"}}));

  processes.failWith = ProcessTablePort::Status::kFirstEntryFailed;
  TargetSearch::ProcessTable failed;
  EXPECT_FALSE(search.BuildProcessTable(failed));
  EXPECT_TRUE(failed.empty());
}

// The re-search timer keeps firing inside the loop of an open error message.
class TargetSearchReentry : public TargetSearchTest {
 protected:
  // Runs `tick` once from inside the first message's loop. The fake copies
  // the hook for every message, so the "once" lives in the fixture.
  template <typename Tick>
  void OnFirstMessage(Tick tick) {
    messages.SetWhileOpen([this, tick](const FakeMessageBox::Shown&) {
      if (ticked_) return;
      ticked_ = true;
      EXPECT_TRUE(search.MessageOpen());
      tick();
    });
  }
  bool ticked_ = false;
};

TEST_F(TargetSearchReentry, LastingFailureShowsNoSecondMessage) {
  processes.failWith = ProcessTablePort::Status::kSnapshotFailed;
  std::vector<WindowHandle> inner;
  OnFirstMessage([&] {
    inner.push_back(search.FindTargetWindow(description));
    windows.FailTopLevelWindows(true);  // a different error meanwhile is held back too
    processes.failWith = ProcessTablePort::Status::kOk;
    inner.push_back(search.FindTargetWindow(description));
  });

  EXPECT_EQ(search.FindTargetWindow(description), WindowHandle{});
  EXPECT_EQ(inner, (std::vector{WindowHandle{}, WindowHandle{}}));
  EXPECT_EQ(messages.Count(), 1u);
  // Every snapshot failure is still traced.
  EXPECT_EQ(trace.Count("Failed to take snapshot of process\n"), 2u);
  EXPECT_FALSE(search.MessageOpen());

  // Once the message is closed, the next failure is shown again.
  EXPECT_EQ(search.FindTargetWindow(description), WindowHandle{});
  EXPECT_EQ(messages.Messages().back().text, L"Failed to enum windows");
  EXPECT_EQ(messages.Count(), 2u);
}

TEST_F(TargetSearchReentry, SearchWhileMessageOpenStillFindsTheTarget) {
  processes.failWith = ProcessTablePort::Status::kFirstEntryFailed;
  WindowHandle inner;
  OnFirstMessage([&] {
    processes.failWith = ProcessTablePort::Status::kOk;
    Top(0x100, kGame, L"Frame", L"Game", 0, kTarget);
    inner = search.FindTargetWindow(description);
  });

  EXPECT_EQ(search.FindTargetWindow(description), WindowHandle{});
  EXPECT_EQ(inner, H(0x100));
  EXPECT_EQ(messages.Count(), 1u);
}

TEST(FakeWindowSystemTest, EnumeratesInItsOwnOrderDepthFirst) {
  FakeWindowSystem windows;
  windows.AddWindow(0x300, {}, L"A", L"", 0, 1, {});
  windows.AddWindow(0x100, {}, L"B", L"", 0, 1, {});
  windows.AddWindow(0x310, H(0x300), L"C", L"", 0, 1, {});
  windows.AddWindow(0x311, H(0x310), L"D", L"", 0, 1, {});
  windows.AddWindow(0x305, H(0x300), L"E", L"", 0, 1, {});
  EXPECT_EQ(windows.TopLevelWindows(), (std::vector{H(0x300), H(0x100)}));
  EXPECT_EQ(windows.DescendantWindows(H(0x300)), (std::vector{H(0x310), H(0x311), H(0x305)}));

  windows.SetTopLevelOrder({H(0x100), H(0x300)});
  EXPECT_EQ(windows.TopLevelWindows(), (std::vector{H(0x100), H(0x300)}));
  windows.FailTopLevelWindows(true);
  EXPECT_EQ(windows.TopLevelWindows(), std::nullopt);

  windows.Destroy(H(0x310));
  EXPECT_FALSE(windows.IsWindow(H(0x311)));
  EXPECT_EQ(windows.ClassName(H(0x311)), L"");
  EXPECT_EQ(windows.DescendantWindows(H(0x300)), (std::vector{H(0x305)}));
}

TEST(FakeWindowSystemTest, MoveCarriesDescendantsAndResizeKeepsTheFrame) {
  FakeWindowSystem windows;
  FakeWindowSystem::Window top;
  top.handle = H(0x100);
  top.client = {800, 600};
  top.windowRect = {10, 20, 818, 651};  // 8 and 31 pixels of frame
  windows.Add(top);
  windows.AddWindow(0x110, H(0x100), L"C", L"", 1, 1, {100, 50}, {14, 51});
  windows.SetVisible(H(0x100), false);

  windows.Move(H(0x100), {110, 220});
  EXPECT_EQ(windows.WindowRect(H(0x100)), (Rect{110, 220, 918, 851}));
  EXPECT_EQ(windows.WindowRect(H(0x110)), (Rect{114, 251, 214, 301}));
  windows.Resize(H(0x100), {1024, 768});
  EXPECT_EQ(windows.WindowRect(H(0x100)), (Rect{110, 220, 1142, 1019}));
  EXPECT_EQ(windows.ClientRect(H(0x100)), (Rect{0, 0, 1024, 768}));
  EXPECT_FALSE(windows.IsWindowVisible(H(0x110)));
  EXPECT_EQ(windows.WindowRect(windows.DesktopWindow()), (Rect{0, 0, 1280, 1024}));
}

}  // namespace
}  // namespace lorik
