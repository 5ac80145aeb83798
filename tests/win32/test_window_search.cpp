// The window and process adapters against real windows of this process, and
// the target search through them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../fakes/FakeMessageBox.h"
#include "../fakes/FakeTrace.h"
#include "target/TargetSearch.h"
#include "win32/ProcessTableWin32.h"
#include "win32/WindowSystemWin32.h"

namespace lorik::testing {
namespace {

const wchar_t kFrameClass[] = L"LorikSearchFrame";
const wchar_t kPanelClass[] = L"LorikSearchPanel";
const wchar_t kViewClass[] = L"LorikSearchView";

WindowHandle H(HWND window) {
  return WindowHandle{reinterpret_cast<uintptr_t>(window)};
}

std::wstring OwnExeName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path);
  return name.substr(name.find_last_of(L"\\/") + 1);
}

// Titles carry the process id, so windows of other programs in the same Wine
// session cannot be mistaken for ours.
std::wstring Unique(const std::wstring& title) {
  return title + L" " + std::to_wstring(GetCurrentProcessId());
}

void RegisterClasses() {
  for (const wchar_t* name : {kFrameClass, kPanelClass, kViewClass}) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
  }
}

// A framed top-level window whose client area is `width` by `height`.
HWND Frame(const std::wstring& title, int x, int y, int width, int height, bool show = true) {
  RECT rc{0, 0, width, height};
  AdjustWindowRectEx(&rc, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND window =
      CreateWindowExW(0, kFrameClass, title.c_str(), WS_OVERLAPPEDWINDOW, x, y, rc.right - rc.left,
                      rc.bottom - rc.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window && show) ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

HWND Control(HWND parent, const wchar_t* cls, const std::wstring& title, int id, int x, int y,
             int width, int height) {
  return CreateWindowExW(0, cls, title.c_str(), WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

bool Contains(const std::vector<WindowHandle>& list, HWND window) {
  return std::find(list.begin(), list.end(), H(window)) != list.end();
}

class WindowSearchWin32 : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HWND window : created_) DestroyWindow(window);
  }
  HWND Keep(HWND window) {
    if (window) created_.push_back(window);
    return window;
  }

  WindowSystemWin32 windows;
  ProcessTableWin32 processes;
  FakeMessageBox messages;
  FakeTrace trace;
  TargetSearch search{windows, processes, messages, trace};

 private:
  std::vector<HWND> created_;
};

TEST_F(WindowSearchWin32, ReportsWhatTheWindowsWereCreatedWith) {
  const std::wstring title = Unique(L"Lorik adapter frame");
  HWND frame = Keep(Frame(title, 100, 120, 320, 240));
  ASSERT_NE(frame, nullptr);
  HWND panel = Control(frame, kPanelClass, L"panel", 1001, 10, 20, 200, 150);
  HWND view = Control(panel, kViewClass, L"view", 1002, 5, 6, 120, 90);
  HWND hidden = Keep(Frame(Unique(L"Lorik hidden frame"), 0, 0, 50, 50, false));
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(view, nullptr);

  EXPECT_EQ(windows.ClassName(H(frame)), kFrameClass);
  EXPECT_EQ(windows.ClassName(H(view)), kViewClass);
  EXPECT_EQ(windows.Title(H(frame)), title);
  EXPECT_EQ(windows.Title(H(panel)), L"panel");
  EXPECT_EQ(windows.ControlId(H(panel)), 1001);
  EXPECT_EQ(windows.ControlId(H(view)), 1002);
  EXPECT_EQ(windows.ControlId(H(frame)), 0);
  EXPECT_EQ(windows.ProcessId(H(frame)), GetCurrentProcessId());
  EXPECT_EQ(windows.ProcessId(H(view)), GetCurrentProcessId());

  EXPECT_EQ(windows.ClientRect(H(frame)), (Rect{0, 0, 320, 240}));
  EXPECT_EQ(windows.ClientRect(H(view)), (Rect{0, 0, 120, 90}));
  RECT frameRect{};
  GetWindowRect(frame, &frameRect);
  EXPECT_EQ(windows.WindowRect(H(frame)),
            (Rect{frameRect.left, frameRect.top, frameRect.right, frameRect.bottom}));
  EXPECT_GT(windows.WindowRect(H(frame)).Width(), 320) << "the frame belongs to the window rect";
  POINT origin{10 + 5, 20 + 6};  // the view's corner in the frame's client area
  ClientToScreen(frame, &origin);
  EXPECT_EQ(windows.WindowRect(H(view)), (Rect::FromXywh(origin.x, origin.y, 120, 90)));

  EXPECT_TRUE(windows.IsWindow(H(view)));
  EXPECT_TRUE(windows.IsWindowVisible(H(frame)));
  EXPECT_FALSE(windows.IsWindowVisible(H(hidden)));
  EXPECT_EQ(windows.DesktopWindow(), H(GetDesktopWindow()));

  std::optional<std::vector<WindowHandle>> top = windows.TopLevelWindows();
  ASSERT_TRUE(top.has_value());
  EXPECT_TRUE(Contains(*top, frame));
  EXPECT_TRUE(Contains(*top, hidden));
  EXPECT_FALSE(Contains(*top, panel));
  EXPECT_EQ(windows.DescendantWindows(H(frame)), (std::vector{H(panel), H(view)}));
  EXPECT_TRUE(windows.DescendantWindows(H(view)).empty());

  DestroyWindow(frame);
  EXPECT_FALSE(windows.IsWindow(H(view)));
  EXPECT_EQ(windows.ClassName(H(frame)), L"");
  EXPECT_EQ(windows.Title(H(frame)), L"");
  EXPECT_EQ(windows.ProcessId(H(frame)), 0u);
  EXPECT_EQ(windows.ClientRect(H(frame)), Rect{});
  EXPECT_EQ(windows.WindowRect(H(view)), Rect{});
}

// The limit of 1,023 counts the terminating zero.
TEST_F(WindowSearchWin32, LongTitlesAreCutTo1022Characters) {
  const std::wstring title = Unique(L"Lorik") + std::wstring(1500, L'x');
  HWND frame = Keep(Frame(title, 0, 0, 100, 100));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(windows.Title(H(frame)), title.substr(0, 1022));
}

TEST_F(WindowSearchWin32, ProcessTableNamesThisExecutable) {
  ProcessTablePort::Result snapshot = processes.ReadSnapshot();
  ASSERT_EQ(snapshot.status, ProcessTablePort::Status::kOk);
  TargetSearch::ProcessTable table;
  ASSERT_TRUE(search.BuildProcessTable(table));
  ASSERT_TRUE(table.contains(GetCurrentProcessId()));
  EXPECT_EQ(table[GetCurrentProcessId()], OwnExeName());
  EXPECT_EQ(OwnExeName(), L"test_window_search.exe");
  EXPECT_GT(table.size(), 1u) << "other processes belong to the snapshot too";
}

TEST_F(WindowSearchWin32, FindTargetWindowThroughTheAdapters) {
  const std::wstring title = Unique(L"Lorik target");
  HWND small = Keep(Frame(title, 40, 40, 300, 200));
  HWND sized = Keep(Frame(title, 60, 60, 400, 300));
  HWND other = Keep(Frame(Unique(L"Lorik other"), 80, 80, 400, 300));
  ASSERT_TRUE(small && sized && other);
  HWND panel = Control(sized, kPanelClass, L"", 2001, 0, 0, 400, 300);
  HWND view = Control(panel, kViewClass, L"", 2002, 0, 0, 200, 100);
  HWND hiddenView = Control(other, kViewClass, L"", 2003, 0, 0, 200, 100);
  ASSERT_TRUE(panel && view && hiddenView);

  CaptureSettings base;
  base.appName = OwnExeName();
  base.className = L"NoSuchClass";
  base.controlId = 0;
  base.title = title;
  base.targetWidth = 400;
  base.targetHeight = 300;

  struct Case {
    const char* name;
    CaptureSettings description;
    HWND expected;
    const char* traceLine;
  };
  std::vector<Case> cases;
  cases.push_back({"title and size", base, sized, "size matched\n"});
  {
    CaptureSettings d = base;
    d.targetWidth = 640;
    HWND first =
        reinterpret_cast<uintptr_t>(small) < reinterpret_cast<uintptr_t>(sized) ? small : sized;
    cases.push_back(
        {"title only: the smaller handle", d, first, "Size not matched, but title matched\n"});
  }
  {
    CaptureSettings d = base;
    d.className = kViewClass;
    d.controlId = 2002;
    cases.push_back({"class and id of a grandchild", d, view, ""});
    d.controlId = 2003;  // below a window without the title
    cases.push_back({"class and id below another title", d, sized, "size matched\n"});
  }
  {
    CaptureSettings d = base;
    d.title = Unique(L"Lorik nothing");
    cases.push_back({"nothing", d, nullptr, ""});
    d = base;
    d.appName = L"other.exe";
    cases.push_back({"other application", d, nullptr, ""});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    trace.Clear();
    EXPECT_EQ(search.FindTargetWindow(c.description), H(c.expected));
    if (*c.traceLine) {
      EXPECT_EQ(trace.Lines(), std::vector<std::string>{c.traceLine});
    } else {
      EXPECT_TRUE(trace.Lines().empty());
    }
  }
  EXPECT_EQ(messages.Count(), 0u);
}

}  // namespace
}  // namespace lorik::testing

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  lorik::testing::RegisterClasses();
  return RUN_ALL_TESTS();
}
