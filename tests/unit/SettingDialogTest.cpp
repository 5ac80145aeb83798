// The settings dialog on fakes: the host's pages and tabs, the capture page's
// initialisation, drops, recognition and write-back, and the window picker's
// drag from press to notification.
#include <gtest/gtest.h>

#include "core/Text.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialogHost.h"
#include "fakes/FakeKeyNames.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeScreenGrab.h"
#include "fakes/FakeSettingTemplates.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeTrace.h"
#include "fakes/FakeWindowSystem.h"
#include "settingsui/Setting.h"

namespace lorik {
namespace {

constexpr WindowHandle kTarget{0x5000};
constexpr WindowHandle kOther{0x5100};
constexpr Point kTargetOrigin{400, 300};
constexpr Size kTargetClient{320, 240};
// The fixture's content block inside the target's client area.
constexpr Rect kBlock{20, 20, 300, 220};

class SettingTest : public ::testing::Test {
 protected:
  SettingTest() {
    AddSettingTemplates(host);
    processes.Add(7, L"other.exe");
    processes.Add(42, L"game.exe");
    windows.AddWindow(kTarget.value, {}, L"GameView", L"Game", 0, 42, kTargetClient, kTargetOrigin);
    windows.AddWindow(kOther.value, {}, L"Panel", L"Side panel", 12, 7, {200, 100}, {10, 700});
  }

  FakeMessageBox messages;
  FakeTrace trace;
  FakeClock clock;
  FakeShell shell;
  FakeKeyNames keyNames;
  FakeWindowSystem windows;
  FakeProcessTable processes;
  FakeScreenGrab grab;
  ui::FakeDialogHost host;
  SettingPorts ports{messages,  trace, clock, shell,    windows,
                     processes, grab,  host,  keyNames, L"C:\\Users\\user\\Pictures\\Lorik"};
};

// ---------------------------------------------------------------------------
// The host

TEST_F(SettingTest, HostCreatesTheFourPagesInItsClientAreaAndShowsTheCapturePage) {
  CSetting setting(ports);
  ui::FakeDialogView& v = host.Open(setting, WindowHandle{0x7000});

  ASSERT_EQ(host.created.size(), 5u);
  const int order[] = {IDD_SETTING, IDD_SETTING_CAPTURE, IDD_SETTING_HOTKEY, IDD_SETTING_SAVE,
                       IDD_SETTING_MISC};
  for (size_t i = 1; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(host.created[i].templateId, order[i]);
    EXPECT_EQ(host.created[i].parent, v.Handle());
    EXPECT_FALSE(host.created[i].modal);
  }
  EXPECT_EQ(host.created[0].parent, WindowHandle{0x7000});

  EXPECT_EQ(v.Control(IDC_TAB_SETTING).tabs,
            (std::vector<std::wstring>{L"キャプチャ", L"ホットキー", L"保存", L"その他"}));
  EXPECT_EQ(v.GetTabSelection(IDC_TAB_SETTING), 0);
  for (int page : {IDD_SETTING_CAPTURE, IDD_SETTING_HOTKEY, IDD_SETTING_SAVE, IDD_SETTING_MISC}) {
    SCOPED_TRACE(page);
    ui::FakeDialogView& pageView = *host.LastView(page);
    ASSERT_EQ(pageView.windowPosCalls.size(), 1u);
    EXPECT_EQ(pageView.windowPosCalls[0].rect, kFakeTabDisplay);
    EXPECT_NE(pageView.windowPosCalls[0].flags & ui::swp::kNoRedraw, 0u);
    EXPECT_NE(pageView.windowPosCalls[0].flags & ui::swp::kNoZOrder, 0u);
    EXPECT_EQ(pageView.visible, page == IDD_SETTING_CAPTURE);
    EXPECT_EQ(pageView.showRequests.size(), 1u);
  }
  host.Close(setting);
}

// On a monitor of another scale the tab row grows with its font: the pages go
// over the tab's new display area, and the picker shows its picture at the
// new scale's small-icon size.
TEST_F(SettingTest, DpiChangePlacesThePagesOverTheNewDisplayAreaAndRedrawsThePicker) {
  CSetting setting(ports);
  ui::FakeDialogView& v = host.Open(setting);
  const ui::FakeControl& picker = host.LastView(IDD_SETTING_CAPTURE)->Control(IDC_BUTTON_DRAG);
  ASSERT_EQ(picker.icon, IDI_ICON_PICKER);
  ASSERT_EQ(picker.iconSize, 16);

  const Rect suggested = Rect::FromXywh(40, 30, 684, 527);
  ASSERT_TRUE(host.ChangeDpi(setting, 144, suggested));
  EXPECT_EQ(v.windowRect, suggested);
  const Rect display{24, 53, 660, 459};  // the fake display area at 150 %
  ASSERT_EQ(v.TabDisplayRect(IDC_TAB_SETTING), display);
  for (int page : {IDD_SETTING_CAPTURE, IDD_SETTING_HOTKEY, IDD_SETTING_SAVE, IDD_SETTING_MISC}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(host.LastView(page)->windowPosCalls.back().rect, display);
  }
  EXPECT_EQ(picker.icon, IDI_ICON_PICKER);
  EXPECT_EQ(picker.iconSize, 24);
  host.Close(setting);
}

TEST_F(SettingTest, EveryTabShowsItsOwnPageAndEveryPageHearsOfEveryChange) {
  CSetting setting(ports);
  host.Open(setting);
  // The save tab, index 2, shows the save page, not the hotkey page.
  const struct {
    int tab;
    int page;
  } cases[] = {{2, IDD_SETTING_SAVE},
               {1, IDD_SETTING_HOTKEY},
               {3, IDD_SETTING_MISC},
               {0, IDD_SETTING_CAPTURE}};
  size_t changes = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tab);
    ASSERT_TRUE(host.SelectTab(setting, IDC_TAB_SETTING, c.tab));
    ++changes;
    for (int page : {IDD_SETTING_CAPTURE, IDD_SETTING_HOTKEY, IDD_SETTING_SAVE, IDD_SETTING_MISC}) {
      ui::FakeDialogView& pageView = *host.LastView(page);
      EXPECT_EQ(pageView.visible, page == c.page) << page;
      EXPECT_EQ(pageView.showRequests.size(), changes) << page;
    }
  }
  host.Close(setting);
}

TEST_F(SettingTest, ClosingTheHostClosesItsPagesWhichWriteTheirWorkingCopies) {
  CSetting setting(ports);
  setting.capturePage.capture.periodBetweenEachCapture = 100;
  host.Open(setting);
  host.LastView(IDD_SETTING_CAPTURE)->Control(IDC_EDIT_PERIOD).text = L"250";
  host.Close(setting);
  EXPECT_FALSE(setting.capturePage.IsOpen());
  EXPECT_FALSE(setting.miscPage.IsOpen());
  EXPECT_EQ(setting.capturePage.capture.periodBetweenEachCapture, 250u);
}

TEST_F(SettingTest, EveryRunOpensOnTheFirstTabWithTheValuesTheLastRunLeft) {
  CSetting setting(ports);
  setting.capturePage.capture.periodBetweenEachCapture = 100;
  int runs = 0;
  std::vector<std::wstring> shownPeriods;
  std::vector<int> openingTabs;
  host.WhileOpen(IDD_SETTING, [&](ui::Dialog& dialog, ui::FakeDialogView& v) {
    ++runs;
    openingTabs.push_back(v.GetTabSelection(IDC_TAB_SETTING));
    ui::FakeDialogView& capture = *host.LastView(IDD_SETTING_CAPTURE);
    EXPECT_TRUE(capture.visible);
    shownPeriods.push_back(capture.Control(IDC_EDIT_PERIOD).text);
    host.SelectTab(dialog, IDC_TAB_SETTING, 3);
    capture.Control(IDC_EDIT_PERIOD).text = DecimalText(runs * 5);
    if (runs == 1) host.Click(dialog, ui::kIdOk);  // the second run ends as by Escape
  });
  EXPECT_EQ(setting.DoModal({}), ui::kIdOk);
  EXPECT_EQ(setting.capturePage.capture.periodBetweenEachCapture, 5u);
  EXPECT_EQ(setting.DoModal({}), ui::kIdCancel);
  EXPECT_EQ(openingTabs, (std::vector<int>{0, 0}));
  EXPECT_EQ(shownPeriods, (std::vector<std::wstring>{L"100", L"5"}));
  // Cancel too leaves what the user typed in the working copy.
  EXPECT_EQ(setting.capturePage.capture.periodBetweenEachCapture, 10u);
}

// ---------------------------------------------------------------------------
// The capture page

class CapturePageTest : public SettingTest {
 protected:
  CapturePageTest() {
    page.capture.title = L"Game";
    page.capture.className = L"GameView";
    page.capture.appName = L"game.exe";
    page.capture.captureArea = {10, 20, 330, 260};
    page.capture.periodBetweenEachCapture = 100;
  }
  ui::FakeDialogView& Open() {
    view = &host.Open(page);
    return *view;
  }
  std::wstring Text(int id) { return view->Control(id).text; }
  std::vector<std::wstring> AreaFields() {
    return {Text(IDC_EDIT_AREA_X), Text(IDC_EDIT_AREA_Y), Text(IDC_EDIT_AREA_WIDTH),
            Text(IDC_EDIT_AREA_HEIGHT)};
  }
  // What the picker tells the page when the user releases it over `window`.
  void Drop(WindowHandle window) {
    page.picker.droppedWindow = window;
    view->SendNotify(IDC_BUTTON_DRAG, ui::nm::kReleasedCapture);
  }

  CSettingCapture page{ports};
  ui::FakeDialogView* view = nullptr;
};

TEST_F(CapturePageTest, OpensOnItsWorkingCopyInWindowAndDesktopModeAndWithoutTarget) {
  constexpr WindowHandle kDesktop = FakeWindowSystem::kDesktop;
  const struct Case {
    const char* name;
    bool desktop;
    WindowHandle target;
    WindowHandle tracked;
    const wchar_t* status;
    WindowHandle working;  // the working copy's target once open, and the picker's
  } cases[] = {
      {"window mode", false, kTarget, {}, L"ウィンドウロックオン済", kTarget},
      {"desktop mode", true, kDesktop, kTarget, L"ウィンドウロックオン済", kTarget},
      {"no target", false, {}, {}, L"ウィンドウをロスト", {}},
      {"desktop mode, target lost", true, kDesktop, {}, L"ウィンドウロックオン済", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    page.capture.captureFromDesktop = c.desktop;
    page.capture.automaticallyRecaptureAfterLost = !c.desktop;
    page.capture.showDialogOnLost = c.desktop;
    page.capture.reTargetOnBootIfCaptureFromDesktop = !c.desktop;
    page.capture.targetWindow = c.target;
    page.capture.trackedWindow = c.tracked;
    page.picker.droppedWindow = kOther;
    Open();
    EXPECT_EQ(AreaFields(), (std::vector<std::wstring>{L"10", L"20", L"320", L"240"}));
    EXPECT_EQ(view->GetCheck(IDC_CHECK_DESKTOP), c.desktop);
    EXPECT_EQ(view->GetCheck(IDC_CHECK_RESEARCH), !c.desktop);
    EXPECT_EQ(view->GetCheck(IDC_CHECK_LOST_DIALOG), c.desktop);
    EXPECT_EQ(view->GetCheck(IDC_CHECK_RETARGET), !c.desktop);
    EXPECT_EQ(Text(IDC_EDIT_PERIOD), L"100");
    EXPECT_EQ(Text(IDC_EDIT_TITLE), L"Game");
    EXPECT_EQ(Text(IDC_EDIT_STATUS), c.status);
    EXPECT_EQ(page.capture.targetWindow, c.working);
    EXPECT_EQ(page.picker.droppedWindow, c.working);
    EXPECT_EQ(page.picker.notifyTarget, &page);
    EXPECT_EQ(view->Control(IDC_BUTTON_DRAG).handler, &page.picker);
    EXPECT_EQ(view->Control(IDC_BUTTON_DRAG).icon, IDI_ICON_PICKER);
    host.Close(page);
  }
}

TEST_F(CapturePageTest, DropDescribesTheWindowUnderThePointer) {
  const struct Case {
    const char* name;
    int controlId;
    const wchar_t* title;
    bool desktopTicked;
    int storedId;
    const wchar_t* status;
    std::vector<std::wstring> area;
  } cases[] = {
      {"plain window",
       5,
       L"Game two",
       false,
       5,
       L"ウィンドウをロックオン",
       {L"10", L"20", L"320", L"240"}},
      {"control id 0",
       0,
       L"Game two",
       false,
       -1,
       L"ウィンドウをロックオン",
       {L"10", L"20", L"320", L"240"}},
      {"no title", 5, L"", false, 5, L"", {L"10", L"20", L"320", L"240"}},
      // Only the position follows the window; the size stays as typed.
      {"desktop box ticked",
       5,
       L"Game two",
       true,
       5,
       L"ウィンドウをロックオン",
       {L"600", L"80", L"320", L"240"}},
  };
  constexpr WindowHandle kDropped{0x5200};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    windows.AddWindow(kDropped.value, {}, L"GameView2", c.title, c.controlId, 42, {640, 400},
                      {600, 80});
    trace.Clear();
    Open();
    view->Control(IDC_CHECK_DESKTOP).checked = c.desktopTicked;
    Drop(kDropped);
    EXPECT_EQ(page.capture.className, L"GameView2");
    EXPECT_EQ(page.capture.appName, L"game.exe");
    EXPECT_EQ(page.capture.targetWidth, 640);
    EXPECT_EQ(page.capture.targetHeight, 400);
    EXPECT_EQ(page.capture.targetWindow, kDropped);
    EXPECT_EQ(page.capture.controlId, c.storedId);
    EXPECT_EQ(page.capture.title, c.title);
    EXPECT_EQ(Text(IDC_EDIT_TITLE), c.title);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), c.status);
    EXPECT_EQ(AreaFields(), c.area);
    EXPECT_EQ(trace.Lines(), std::vector<std::string>{"appname:game.exe classname:GameView2\n"});
    EXPECT_TRUE(messages.Messages().empty());
    host.Close(page);
    windows.Destroy(kDropped);
  }
}

TEST_F(CapturePageTest, DropOnAWindowOfAnUnlistedProcessKeepsTheAppName) {
  Open();
  windows.Find(kOther)->processId = 99;
  Drop(kOther);
  EXPECT_EQ(page.capture.appName, L"game.exe");
  EXPECT_EQ(page.capture.className, L"Panel");
  EXPECT_EQ(page.capture.targetWindow, kOther);
  EXPECT_TRUE(trace.Lines().empty());
  host.Close(page);
}

TEST_F(CapturePageTest, DropOnNoWindowOrAGoneOneChangesNothing) {
  page.capture.targetWindow = kTarget;
  for (WindowHandle dropped : {WindowHandle{}, WindowHandle{0x9990}}) {
    SCOPED_TRACE(dropped.value);
    Open();
    const CaptureSettings before = page.capture;
    const auto fields = view->controls;
    Drop(dropped);
    EXPECT_EQ(page.capture, before);
    EXPECT_EQ(Text(IDC_EDIT_TITLE), fields.at(IDC_EDIT_TITLE).text);
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fields.at(IDC_EDIT_STATUS).text);
    EXPECT_EQ(processes.snapshots, 0);
    EXPECT_TRUE(messages.Messages().empty());
    host.Close(page);
  }
}

TEST_F(CapturePageTest, SnapshotFailuresAreReportedAndKeepAllButTheClassName) {
  const struct Case {
    ProcessTablePort::Status status;
    const char* trace;
  } cases[] = {
      {ProcessTablePort::Status::kSnapshotFailed, "Failed to take snapshot of process\n"},
      {ProcessTablePort::Status::kFirstEntryFailed, "Failed to process process's snapshot\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trace);
    page.capture.targetWindow = kTarget;
    processes.failWith = c.status;
    messages.Clear();
    trace.Clear();
    Open();
    CaptureSettings expected = page.capture;
    expected.className = L"Panel";
    Drop(kOther);
    EXPECT_EQ(page.capture, expected);
    EXPECT_EQ(trace.Lines(), std::vector<std::string>{c.trace});
    EXPECT_EQ(messages.Messages(),
              (std::vector<FakeMessageBox::Shown>{
                  {L"アプリケーション情報を取得できませんでした", L"Lorik", mb::kOk}}));
    EXPECT_EQ(Text(IDC_EDIT_TITLE), L"Game");
    host.Close(page);
  }
}

// A white client area with the block in it, as the recognition grabs it.
std::shared_ptr<MemoryPicture> TargetPage(Size size = kTargetClient, Rect block = kBlock) {
  auto picture = MemoryPicture::Filled(size.width, size.height, 24, 255);
  for (int y = block.top; y < block.bottom; ++y) {
    uint8_t* row =
        picture->MutableBits() + static_cast<size_t>(picture->Height() - 1 - y) * picture->Pitch();
    for (int x = block.left; x < block.right; ++x) {
      row[x * 3] = 40;
      row[x * 3 + 1] = 80;
      row[x * 3 + 2] = 120;
    }
  }
  return picture;
}

TEST_F(CapturePageTest, RecognitionFillsTheFieldsWithTheBlockOnTheScreenInDesktopMode) {
  const struct Case {
    const char* name;
    bool desktopTicked;
    WindowHandle grabbed;
    std::vector<std::wstring> area;
  } cases[] = {
      {"window mode", false, kTarget, {L"20", L"20", L"280", L"200"}},
      {"desktop mode", true, FakeWindowSystem::kDesktop, {L"420", L"320", L"280", L"200"}},
  };
  grab.prepared = TargetPage();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    grab.calls.clear();
    page.capture.targetWindow = kTarget;
    Open();
    view->Control(IDC_CHECK_DESKTOP).checked = c.desktopTicked;
    ASSERT_TRUE(host.Click(page, IDC_BUTTON_AUTO_RECOGNIZE));
    EXPECT_EQ(page.capture.captureFromDesktop, c.desktopTicked);
    ASSERT_FALSE(grab.calls.empty());
    EXPECT_EQ(grab.calls[0].source, c.grabbed);
    EXPECT_EQ(AreaFields(), c.area);
    host.Close(page);
  }
}

TEST_F(CapturePageTest, FailedRecognitionLeavesTheFieldsAndTheDialogKeepsThem) {
  grab.failPicture = true;
  page.capture.targetWindow = kTarget;
  Open();
  ASSERT_TRUE(host.Click(page, IDC_BUTTON_AUTO_RECOGNIZE));
  EXPECT_FALSE(messages.Messages().empty());
  EXPECT_EQ(AreaFields(), (std::vector<std::wstring>{L"10", L"20", L"320", L"240"}));
  host.Close(page);
  EXPECT_EQ(page.capture.captureArea, (Rect{10, 20, 330, 260}));
}

TEST_F(CapturePageTest, ClosingWritesTheFieldsAndBoxesBackButNotTheTitle) {
  Open();
  view->Control(IDC_EDIT_AREA_X).text = L"15";
  view->Control(IDC_EDIT_AREA_Y).text = L"";
  view->Control(IDC_EDIT_AREA_WIDTH).text = L"300px";
  view->Control(IDC_EDIT_AREA_HEIGHT).text = L"200";
  view->Control(IDC_EDIT_PERIOD).text = L"250";
  view->Control(IDC_EDIT_TITLE).text = L"typed over";
  for (int id :
       {IDC_CHECK_DESKTOP, IDC_CHECK_RESEARCH, IDC_CHECK_LOST_DIALOG, IDC_CHECK_RETARGET}) {
    ASSERT_TRUE(host.Click(page, id));
  }
  host.Close(page);
  EXPECT_EQ(page.capture.captureArea, (Rect{15, 0, 315, 200}));
  EXPECT_EQ(page.capture.periodBetweenEachCapture, 250u);
  EXPECT_TRUE(page.capture.captureFromDesktop);
  EXPECT_TRUE(page.capture.automaticallyRecaptureAfterLost);
  EXPECT_TRUE(page.capture.showDialogOnLost);
  EXPECT_TRUE(page.capture.reTargetOnBootIfCaptureFromDesktop);
  EXPECT_EQ(page.capture.title, L"Game");
}

// ---------------------------------------------------------------------------
// The window picker

// The main window, the settings dialog it owns, the capture page in it and
// the picker button on the page, as the window system sees them; and the
// target with a child window, a hidden child and a tool window it owns.
// A DPI-unaware window on a 150 % monitor: each of its own 400 x 300 pixels
// shows as 1.5 physical ones, 600 x 450 at 0, 560.
void AddUnawareWindow(FakeWindowSystem& windows, WindowHandle handle) {
  FakeWindowSystem::Window w;
  w.handle = handle;
  w.className = L"OldGame";
  w.title = L"Old game";
  w.processId = 42;
  w.client = {400, 300};
  w.windowRect = Rect::FromXywh(0, 560, 600, 450);
  w.awareDpi = 96;
  w.monitorDpi = 144;
  windows.Add(w);
}

// Window mode grabs and searches the target's own pixels; desktop mode the
// physical ones the screen shows, so a block in the right third, beyond the
// target's own width, is found whole.
TEST_F(CapturePageTest, RecognitionOfATargetOfAnotherAwarenessUsesThePixelsOfItsGrab) {
  constexpr WindowHandle kUnaware{0x5400};
  AddUnawareWindow(windows, kUnaware);
  // The grab is as large as its area; the block is in the grab's pixels.
  const struct Case {
    bool desktopTicked;
    Rect grabArea;
    Rect block;
    std::vector<std::wstring> area;
  } cases[] = {
      {false, {0, 0, 400, 300}, {20, 20, 380, 280}, {L"20", L"20", L"360", L"260"}},
      {true, {0, 560, 600, 1010}, {30, 30, 570, 420}, {L"30", L"590", L"540", L"390"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desktopTicked ? "desktop mode" : "window mode");
    grab.calls.clear();
    grab.prepared = TargetPage(c.grabArea.GetSize(), c.block);
    page.capture.targetWindow = kUnaware;
    Open();
    view->Control(IDC_CHECK_DESKTOP).checked = c.desktopTicked;
    ASSERT_TRUE(host.Click(page, IDC_BUTTON_AUTO_RECOGNIZE));
    ASSERT_FALSE(grab.calls.empty());
    EXPECT_EQ(grab.calls[0].area, c.grabArea);
    EXPECT_EQ(AreaFields(), c.area);
    host.Close(page);
  }
}

class PickerTest : public CapturePageTest {
 protected:
  static constexpr WindowHandle kMain{0x7000};
  static constexpr WindowHandle kSettings{0x7100};
  static constexpr WindowHandle kContent{0x5001};
  static constexpr WindowHandle kHiddenChild{0x5002};
  static constexpr WindowHandle kTool{0x6000};
  static constexpr Point kButtonOrigin{700, 60};

  PickerTest() {
    windows.AddWindow(kContent.value, kTarget, L"Content", L"content", 0, 42, {200, 100},
                      {kTargetOrigin.x + 50, kTargetOrigin.y + 50});
    windows.AddWindow(kHiddenChild.value, kTarget, L"Overlay", L"", 3, 42, {40, 40},
                      {kTargetOrigin.x + 260, kTargetOrigin.y + 180});
    windows.SetVisible(kHiddenChild, false);
    // The tool window lies over the target's content child.
    FakeWindowSystem::Window tool;
    tool.handle = kTool;
    tool.owner = kTarget;
    tool.className = L"Tool";
    tool.client = {60, 30};
    tool.windowRect = Rect::FromXywh(kTargetOrigin.x + 60, kTargetOrigin.y + 60, 60, 30);
    windows.Add(tool);
    // The settings dialog covers the target's top-left corner.
    windows.AddWindow(kMain.value, {}, L"#32770", L"Lorik", 0, 1, {100, 100}, {1000, 800});
    FakeWindowSystem::Window settings;
    settings.handle = kSettings;
    settings.owner = kMain;
    settings.className = L"#32770";
    settings.client = {446, 341};
    settings.windowRect = Rect::FromXywh(350, 40, 446, 341);
    windows.Add(settings);
    windows.SetTopLevelOrder({kSettings, kMain, kTool, kTarget, kOther});
    Open();
    windows.AddWindow(view->Handle().value, kSettings, L"#32770", L"", 0, 1, {422, 270}, {362, 72});
    button = windows.AddWindow(view->ItemHandle(IDC_BUTTON_DRAG).value, view->Handle(), L"Button",
                               L"窓へドラッグ", IDC_BUTTON_DRAG, 1, {100, 30}, kButtonOrigin);
  }
  ~PickerTest() override { host.Close(page); }

  static intptr_t At(Point client) {
    return static_cast<intptr_t>(static_cast<uint16_t>(client.x) |
                                 static_cast<uint32_t>(static_cast<uint16_t>(client.y)) << 16);
  }
  // Press on the button and release at `screen`; the page records the drops.
  void DragTo(Point screen) {
    view->SendToItem(IDC_BUTTON_DRAG, {ui::wm::kLButtonDown, 1, At({5, 5})});
    view->SendToItem(
        IDC_BUTTON_DRAG,
        {ui::wm::kLButtonUp, 0, At({screen.x - kButtonOrigin.x, screen.y - kButtonOrigin.y})});
  }

  WindowHandle button;
};

TEST_F(PickerTest, PressHidesBothWindowsCapturesTheMouseAndShowsTheDragCursor) {
  const intptr_t arrow = view->cursor;
  ASSERT_FALSE(view->SendToItem(IDC_BUTTON_DRAG, {ui::wm::kLButtonDown, 1, At({5, 5})}));
  EXPECT_EQ(view->mouseCapture, IDC_BUTTON_DRAG);
  EXPECT_EQ(windows.showCalls, (std::vector<FakeWindowSystem::ShowCall>{
                                   {kMain, false, false}, {kSettings, false, false}}));
  EXPECT_EQ(view->cursor, ui::FakeDialogView::CursorHandle(IDC_CURSOR_DRAG));
  EXPECT_EQ(page.picker.previousCursor, arrow);

  ASSERT_FALSE(view->SendToItem(IDC_BUTTON_DRAG, {ui::wm::kLButtonUp, 0, At({5, 5})}));
  EXPECT_EQ(view->cursor, arrow);
  EXPECT_FALSE(view->mouseCapture.has_value());
  EXPECT_EQ(view->focusCalls, 1);
  // The dialog comes back first and active, the main window second, behind it.
  EXPECT_EQ(windows.showCalls, (std::vector<FakeWindowSystem::ShowCall>{{kMain, false, false},
                                                                        {kSettings, false, false},
                                                                        {kSettings, true, true},
                                                                        {kMain, true, false}}));
  EXPECT_TRUE(windows.IsWindowVisible(kSettings));
  EXPECT_TRUE(windows.IsWindowVisible(kMain));
}

TEST_F(PickerTest, ReleaseFindsTheDeepestWindowAndTellsThePage) {
  const struct Case {
    const char* name;
    Point screen;
    WindowHandle dropped;
    Point client;
  } cases[] = {
      // Beneath the hidden settings dialog: found because it is hidden.
      {"target under the dialog", {kTargetOrigin.x + 10, kTargetOrigin.y + 10}, kTarget, {10, 10}},
      {"child of the target", {kTargetOrigin.x + 150, kTargetOrigin.y + 140}, kContent, {100, 90}},
      // The hit test skips the hidden child; the descent does not.
      {"hidden child", {kTargetOrigin.x + 270, kTargetOrigin.y + 190}, kHiddenChild, {10, 10}},
      // Over the tool window: the climb goes into its owner, and the descent
      // through the owner's children at that point.
      {"owned tool window", {kTargetOrigin.x + 70, kTargetOrigin.y + 70}, kContent, {20, 20}},
      {"no window", {-50, 5000}, {}, {-50, 5000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    windows.hitTests.clear();
    trace.Clear();
    view->notifications.clear();
    DragTo(c.screen);
    EXPECT_EQ(page.picker.droppedWindow, c.dropped);
    EXPECT_EQ(page.picker.dropPoint, c.client);
    ASSERT_EQ(windows.hitTests.size(), 1u);
    EXPECT_EQ(windows.hitTests[0].screen, c.screen);
    EXPECT_EQ(windows.hitTests[0].hidden, (std::vector<WindowHandle>{kSettings, kMain}));
    ASSERT_EQ(view->notifications.size(), 1u);
    EXPECT_EQ(view->notifications[0].fromId, IDC_BUTTON_DRAG);
    EXPECT_EQ(view->notifications[0].code, ui::nm::kReleasedCapture);
    const std::string line =
        "ScreenPoint:" + std::to_string(c.screen.x) + " " + std::to_string(c.screen.y) +
        " ClientPoint:" + std::to_string(c.client.x) + " " + std::to_string(c.client.y) + "\n";
    EXPECT_EQ(trace.Lines().back(), line);
  }
}

TEST_F(PickerTest, ReleaseTheButtonNeverSawEndsTheDragAtThePointer) {
  windows.primaryButtonDown = true;
  view->SendToItem(IDC_BUTTON_DRAG, {ui::wm::kLButtonDown, 1, At({5, 5})});
  ASSERT_TRUE(view->timers.IsRunning(CButtonDrag::kReleaseWatchTimer));
  windows.cursor = {kTargetOrigin.x + 150, kTargetOrigin.y + 140};
  ASSERT_TRUE(host.Tick(page, CButtonDrag::kReleaseWatchTimer));
  EXPECT_TRUE(view->notifications.empty());
  EXPECT_FALSE(windows.IsWindowVisible(kSettings));

  windows.primaryButtonDown = false;
  ASSERT_TRUE(host.Tick(page, CButtonDrag::kReleaseWatchTimer));
  EXPECT_EQ(view->notifications.size(), 1u);
  EXPECT_EQ(page.picker.droppedWindow, kContent);
  EXPECT_EQ(page.picker.dropPoint, (Point{100, 90}));
  EXPECT_TRUE(windows.IsWindowVisible(kSettings));
  EXPECT_FALSE(view->mouseCapture.has_value());
  EXPECT_FALSE(view->timers.IsRunning(CButtonDrag::kReleaseWatchTimer));
  // The late release the platform may still deliver is no second drop.
  view->SendToItem(IDC_BUTTON_DRAG, {ui::wm::kLButtonUp, 0, At({5, 5})});
  EXPECT_EQ(view->notifications.size(), 1u);
  EXPECT_EQ(page.picker.droppedWindow, kContent);
}

// The same target while this program's monitor is at 100 %: the drop point
// and the size the page records are in the target's own pixels, the desktop
// mode's position in physical ones.
TEST_F(PickerTest, DropOnATargetOfAnotherAwarenessIsMeasuredInItsOwnPixels) {
  constexpr WindowHandle kUnaware{0x5400};
  constexpr WindowHandle kStage{0x5401};
  AddUnawareWindow(windows, kUnaware);
  FakeWindowSystem::Window stage;
  stage.handle = kStage;
  stage.parent = kUnaware;
  stage.className = L"Stage";
  stage.processId = 42;
  stage.client = {200, 100};  // at 100, 50 of its parent's own pixels
  stage.windowRect = Rect::FromXywh(150, 635, 300, 150);
  stage.awareDpi = 96;
  stage.monitorDpi = 144;
  windows.Add(stage);
  windows.SetTopLevelOrder({kSettings, kMain, kUnaware, kTool, kTarget, kOther});

  DragTo({180, 680});
  EXPECT_EQ(page.picker.droppedWindow, kStage);
  EXPECT_EQ(page.picker.dropPoint, (Point{20, 30}));
  EXPECT_EQ(page.capture.targetWidth, 200);
  EXPECT_EQ(page.capture.targetHeight, 100);

  view->Control(IDC_CHECK_DESKTOP).checked = true;
  DragTo({180, 680});
  EXPECT_EQ(Text(IDC_EDIT_AREA_X), L"150");
  EXPECT_EQ(Text(IDC_EDIT_AREA_Y), L"635");
}

TEST_F(PickerTest, DragOntoTheTargetsChildLocksThePageOnToIt) {
  DragTo({kTargetOrigin.x + 150, kTargetOrigin.y + 140});
  EXPECT_EQ(page.capture.targetWindow, kContent);
  EXPECT_EQ(page.capture.className, L"Content");
  EXPECT_EQ(page.capture.controlId, -1);
  EXPECT_EQ(Text(IDC_EDIT_TITLE), L"content");
  EXPECT_EQ(Text(IDC_EDIT_STATUS), L"ウィンドウをロックオン");
}

}  // namespace
}  // namespace lorik
