// The main window through its life on fakes: start-up with every kind of
// settings file, the main button and the hotkeys in each button mode, the
// pipeline behind a shot, the status line, the context menu, the exit question
// and the window commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "app/LorikDlg.h"
#include "core/Text.h"
#include "fakes/FakeApp.h"
#include "fakes/FakeReviewTemplate.h"
#include "fakes/FakeSettingTemplates.h"
#include "settings/IniFile.h"
#include "settingsui/Setting.h"

namespace lorik {
namespace {

const std::wstring kIni = L"C:\\Games\\Lorik\\Lorik.ini";
const Rect kTemplateWindow{100, 120, 220, 250};
constexpr uintptr_t kTarget = 0x5000;
constexpr unsigned kNoRepeat = 0x4000;
constexpr int kPbstNormal = 1;
constexpr int kPbstError = 2;
constexpr int kPbstPaused = 3;

// A settings file that passes the check and names the test's target window.
const std::wstring kValidIni =
    L"[General]\r\nCheck on exit=0\r\n"
    L"[SingleShot]\r\nFolder=C:\\Shots\r\nFormat=single\r\n"
    L"[MultiShot01]\r\nFolder=C:\\Multi1\r\n"
    L"[MultiShot02]\r\nFolder=C:\\Multi2\r\n"
    L"[MultiShot03]\r\nFolder=C:\\Multi3\r\n"
    L"[Save]\r\nConversion thread number=2\r\n"
    L"[Capture]\r\nApp name=game.exe\r\nClass name=GameView\r\n"
    L"Area X=0\r\nArea Y=0\r\nArea width=8\r\nArea height=6\r\n"
    L"Period between each capture=50\r\n";

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    host.OnCreate(CLorikDlg::kTemplate, [](ui::FakeDialogView& v) {
      v.windowRect = kTemplateWindow;
      v.clientRect = {0, 0, 104, 98};
      v.clientOrigin = {104, 148};
      v.layoutMinimum = {104, 98};
      v.AddControl(CLorikDlg::kProgressBar).rect = {18, 78, 104, 98};
      v.AddControl(CLorikDlg::kThumbnail).rect = {0, 0, 104, 78};
      ui::FakeControl& button = v.AddControl(CLorikDlg::kMainButton);
      button.rect = {2, 81, 18, 94};
      button.bitmap = 159;  // the template's picture
    });
    // Start-up may open the settings; their templates are those of the program.
    AddSettingTemplates(host);
    app.processes.Add(42, L"game.exe");
    app.windows.AddWindow(kTarget, {}, L"GameView", L"Game", 0, 42, {640, 480});
  }
  ~MainWindowTest() override {
    if (dlg && host.ViewOf(*dlg) != nullptr) host.Close(*dlg);
  }

  void WriteIni(std::wstring_view text) {
    const auto bytes = IniFile::FromText(text).Serialize();
    app.files.files[kIni] = {bytes.begin(), bytes.end()};
  }
  ui::FakeDialogView& Start() {
    dlg = std::make_unique<CLorikDlg>(ports, kIni);
    view = &host.Open(*dlg);
    return *view;
  }
  // The valid file with the keys of `changes` set over it.
  ui::FakeDialogView& StartWith(std::wstring_view changes) {
    IniFile ini = IniFile::FromText(kValidIni);
    const IniFile overlay = IniFile::FromText(changes);
    for (const std::wstring& section : overlay.SectionNames())
      for (const std::wstring& key : overlay.KeyNames(section))
        ini.Set(section, key, overlay.GetString(section, key, L""));
    WriteIni(ini.Text());
    return Start();
  }
  // The valid file with `changes` and a first profile of two frames before the
  // press and one after; the shot taken through capture ticks and written.
  void TakeMultiShot(std::wstring_view changes) {
    StartWith(std::wstring(changes) +
              L"[MultiShot01]\r\nFormat=m%ms%\r\nNumber of saved image before hotkey=2\r\n"
              L"Number of saved image after hotkey=1\r\n");
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(CaptureTick());
      app.clock.Advance(50);
    }
    ASSERT_TRUE(host.PressHotkey(*dlg, 16997));
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(CaptureTick());
      app.clock.Advance(50);
    }
    ASSERT_TRUE(WaitIdle());
  }
  void Command(unsigned id, int code = 0) { host.Send(*dlg, ui::CommandMessage(id, code)); }
  // The cursor message a right click sends; the default still sets the cursor.
  void RightClick() {
    EXPECT_EQ(host.Send(*dlg, {ui::wm::kSetCursor, view->Handle().value,
                               static_cast<intptr_t>(ui::wm::kRButtonUp << 16 | 1u)}),
              std::nullopt);
  }
  int ButtonBitmap() { return view->Control(CLorikDlg::kMainButton).bitmap; }
  FakeNativeProgressBar& Bar() { return *app.controls.bars.at(CLorikDlg::kProgressBar); }
  // A tick of the capture clock as its thread posts it: only while the clock runs.
  bool CaptureTick() {
    return dlg->Clock().Running() && host.Send(*dlg, {kCaptureTickMessage, 0, 0}).has_value();
  }
  // Any timer message refreshes the status line; the re-search timer always runs.
  void Refresh() { ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kResearchTimerId)); }
  // The workers run on their own threads: wait, boundedly, until all is written.
  bool WaitIdle() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!dlg->Pipeline()->Idle()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  FakeApp app;
  FakeMessageBox& messages = app.messages;
  ui::FakeDialogHost& host = app.host;
  AppPorts ports = app.Ports();
  std::unique_ptr<CLorikDlg> dlg;
  ui::FakeDialogView* view = nullptr;
};

TEST_F(MainWindowTest, EveryRejectedSettingIsReportedAtStartUpAndOnlyTheHotkeysComeBack) {
  struct Case {
    const wchar_t* ini;
    const wchar_t* message;
    const wchar_t* pageMessage = nullptr;  // shown by a settings page as it opens
  };
  const Case cases[] = {
      {L"[Capture]\r\nAutomatically recapture after lost=0\r\n",
       L"キャプチャ対象ウィンドウが設定されていません"},
      {L"[Capture]\r\nPeriod between each capture=9\r\n",
       L"キャプチャ設定の取込周期は10ms以上としてください"},
      {L"[SingleShot]\r\nFormat=\r\n",
       L"シングルショット撮影時のファイル名フォーマットを設定してください"},
      {L"[SingleShot]\r\nVirtual key=123\r\nModifier=0\r\n",
       L"ショートカットキーにF12を割り当てることはできません"},
      {L"[MultiShot01]\r\nFormat=\r\n",
       L"マルチショット撮影時のファイル名フォーマットをを設定してください"},
      {L"[MultiShot01]\r\nVirtual key=123\r\nModifier=0\r\n",
       L"ショートカットキーにF12を割り当てることはできません"},
      {L"[MultiShot01]\r\nVirtual key=83\r\nModifier=1\r\n",
       L"マルチショット01のショートカットキーが他と重複しています"},
      {L"[MultiShot02]\r\nVirtual key=49\r\nModifier=4\r\n",
       L"マルチショット02のショートカットキーが他と重複しています"},
      {L"[Save]\r\nConversion buff size=5\r\n",
       L"保存設定の変換バッファ枚数は押下前の保存枚数以上にしてください"},
      {L"[General]\r\nMaximum multi shot no=0\r\n[Save]\r\nConversion buff size=0\r\n",
       L"保存設定の変換バッファ枚数は1以上に設定してください"},
      {L"[Save]\r\nSave buff size=9\r\n",
       L"保存設定の保存バッファ枚数は押下前の保存枚数以上にしてください"},
      {L"[General]\r\nMaximum multi shot no=0\r\n[Save]\r\nSave buff size=0\r\n",
       L"保存設定の保存バッファ枚数は1以上に設定してください"},
      {L"[Save]\r\nConversion thread number=0\r\n", L"保存設定のスレッド数は1以上としてください"},
      {L"[MultiShot01]\r\nNumber of saved image before hotkey=0\r\n"
       L"Number of saved image after hotkey=0\r\n",
       L"マルチショット設定01の押下前保存枚数、押下後保存枚数のいずれかは1以上にしてください"},
      {L"[Save]\r\nImage type=raw\r\n", L"保存設定の画像タイプを再設定してください"},
      // The save page says so too when it opens on the depth.
      {L"[Save]\r\nImage bit depth=16\r\n", L"保存設定のビット深度を再設定してください",
       L"ビット深度として不正な値が渡されました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.ini));
    messages.Clear();
    // Without a target window to find, so that only the file decides.
    app.processes.entries.clear();
    WriteIni(c.ini);
    ui::FakeDialogView& v = Start();
    ASSERT_EQ(messages.Count(), c.pageMessage ? 2u : 1u);
    EXPECT_EQ(messages.Messages()[0],
              (FakeMessageBox::Shown{c.message, L"Lorik設定チェック結果", mb::kIconError}));
    if (c.pageMessage) {
      EXPECT_EQ(messages.Messages()[1].text, c.pageMessage);
    }
    // The settings dialog ran, and was cancelled, instead of the application of the settings.
    EXPECT_EQ(dlg->ConversionWorkers(), 0u);
    EXPECT_EQ(v.hotkeys.registered.count(16996), dlg->Records().shot.singleShot.virtualKey != 0);
    EXPECT_TRUE(v.timers.IsRunning(CLorikDlg::kResearchTimerId));
    host.Close(*dlg);
  }
}

TEST_F(MainWindowTest, MissingIniOpensTheSettingsInsteadOfApplyingThem) {
  ui::FakeDialogView& v = Start();
  ASSERT_EQ(messages.Count(), 1u);
  EXPECT_EQ(messages.Messages()[0],
            (FakeMessageBox::Shown{L"設定ファイルが存在しないため、設定ウィンドウを開きます。",
                                   L"Lorik", mb::kIconExclamation}));
  EXPECT_EQ(dlg->ConversionWorkers(), 0u);
  EXPECT_EQ(v.hotkeys.registered.at(16996).modifiers, 3u | kNoRepeat);
  // The button keeps the template's picture: nothing applied the button setting.
  EXPECT_EQ(ButtonBitmap(), 159);
}

TEST_F(MainWindowTest, ValidIniAppliesTheSettings) {
  struct Case {
    const wchar_t* extra;
    int bitmap;
  };
  const Case cases[] = {
      {L"", 148},
      {L"[General]\r\nMain button setting=1\r\n", 159},
      {L"[General]\r\nMain button setting=2\r\n", 162},
      {L"[General]\r\nMain button setting=3\r\n", 162},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.extra));
    messages.Clear();
    ui::FakeDialogView& v = StartWith(c.extra);
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(dlg->Records().capture.targetWindow, WindowHandle{kTarget});
    EXPECT_EQ(dlg->ConversionWorkers(), 2u);
    EXPECT_EQ(dlg->Clock().PeriodMs(), 50u);
    EXPECT_EQ(ButtonBitmap(), c.bitmap);
    ASSERT_EQ(v.hotkeys.registered.size(), 2u);
    EXPECT_EQ(v.hotkeys.registered.at(16996).modifiers, 3u | kNoRepeat);
    EXPECT_EQ(v.hotkeys.registered.at(16996).virtualKey, 83u);
    EXPECT_EQ(v.hotkeys.registered.at(16997).modifiers, 3u | kNoRepeat);
    EXPECT_EQ(v.hotkeys.registered.at(16997).virtualKey, 49u);
    EXPECT_EQ(v.windowPosCalls.back().order, ui::ZOrder::NoTopmost);
    host.Close(*dlg);
  }
}

TEST_F(MainWindowTest, MainButtonInEveryModeShowsItsPressAndTakesItsAction) {
  enum class Result { SingleShot, MultiShot, Folder, Nothing };
  struct Case {
    const wchar_t* general;
    Result result;
    std::wstring folder;  // opened, for Folder
    size_t profile = 0;   // pending, for MultiShot
    int pressed = 0;      // 0: no press feedback
    int normal = 0;
  };
  const Case cases[] = {
      {L"Main button setting=0\r\n", Result::SingleShot, L"", 0, 151, 148},
      {L"Main button setting=1\r\nMain button multi shot no=0\r\n", Result::MultiShot, L"", 0, 157,
       159},
      {L"Main button setting=1\r\nMain button multi shot no=2\r\n", Result::MultiShot, L"", 2, 157,
       159},
      // Indexes beyond the three profiles, as a hand-edited file may hold.
      {L"Main button setting=1\r\nMain button multi shot no=3\r\n", Result::Nothing, L"", 0, 0, 0},
      {L"Main button setting=1\r\nMain button multi shot no=-1\r\n", Result::Nothing, L"", 0, 0, 0},
      // Nothing saved yet: the default folder, where the first shot would go.
      {L"Main button setting=2\r\n", Result::Folder, FakeApp::kDefaultFolder, 0, 160, 162},
      {L"Main button setting=3\r\nMain button show folder no=0\r\n", Result::Folder, L"C:\\Shots",
       0, 160, 162},
      {L"Main button setting=3\r\nMain button show folder no=2\r\n", Result::Folder, L"C:\\Multi2",
       0, 160, 162},
      {L"Main button setting=3\r\nMain button show folder no=3\r\n", Result::Folder, L"C:\\Multi3",
       0, 160, 162},
      {L"Main button setting=3\r\nMain button show folder no=4\r\n", Result::Nothing, L"", 0, 0, 0},
      {L"Main button setting=3\r\nMain button show folder no=-1\r\n", Result::Nothing, L"", 0, 0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.general));
    messages.Clear();
    app.shell.explored.clear();
    StartWith(std::wstring(L"[General]\r\n") + c.general);
    const int before = ButtonBitmap();
    const size_t grabs = app.grab.calls.size();
    ASSERT_TRUE(host.Click(*dlg, CLorikDlg::kMainButton));

    EXPECT_EQ(app.grab.calls.size() - grabs, c.result == Result::SingleShot ? 1u : 0u);
    for (size_t j = 0; j < 3; ++j) {
      const bool pending = c.result == Result::MultiShot && j == c.profile;
      EXPECT_EQ(dlg->Capture().Run(j).pendingCount > 0, pending) << j;
    }
    if (c.result == Result::Folder) {
      EXPECT_EQ(app.shell.explored, std::vector<std::wstring>{c.folder});
    } else {
      EXPECT_TRUE(app.shell.explored.empty());
    }
    EXPECT_TRUE(messages.Messages().empty());

    if (c.pressed == 0) {
      EXPECT_EQ(ButtonBitmap(), before);
      EXPECT_FALSE(view->timers.IsRunning(CLorikDlg::kButtonTimerId));
    } else {
      EXPECT_EQ(ButtonBitmap(), c.pressed);
      EXPECT_EQ(view->timers.PeriodOf(CLorikDlg::kButtonTimerId), 200u);
      ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kButtonTimerId));
      EXPECT_EQ(ButtonBitmap(), c.normal);
      EXPECT_FALSE(view->timers.IsRunning(CLorikDlg::kButtonTimerId));
    }
    ASSERT_TRUE(WaitIdle());
    host.Close(*dlg);
  }
}

TEST_F(MainWindowTest, UnknownButtonSettingIsABugOnAClickAndATraceOnTheTimer) {
  StartWith(L"[General]\r\nMain button setting=4\r\n");
  EXPECT_EQ(app.trace.Count("Unknown type given to ApplySetting::shotButtonType\n"), 1u);
  EXPECT_EQ(ButtonBitmap(), 159);
  ASSERT_TRUE(host.Click(*dlg, CLorikDlg::kMainButton));
  EXPECT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"OnBnClickedButtonPhotoにて不明な型が渡されました", L"バグ", mb::kIconError}}));
  EXPECT_TRUE(app.grab.calls.empty());
  EXPECT_TRUE(app.shell.explored.empty());

  // A hotkey still shoots and shows its press; the timer then has no normal
  // picture to put back.
  ASSERT_TRUE(host.PressHotkey(*dlg, 16996));
  EXPECT_EQ(ButtonBitmap(), 151);
  ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kButtonTimerId));
  EXPECT_EQ(ButtonBitmap(), 151);
  EXPECT_EQ(app.trace.Count("Unknown type given to OnTimer\n"), 1u);
  ASSERT_TRUE(WaitIdle());
}

TEST_F(MainWindowTest, HotkeysShowTheirOwnPressedSetThenTheConfiguredNormalOne) {
  struct Case {
    int buttonSetting;
    int hotkey;
    int pressed;
    int normal;
  };
  const Case cases[] = {
      {0, 16996, 151, 148}, {0, 16997, 157, 148}, {1, 16996, 151, 159}, {1, 16997, 157, 159},
      {2, 16996, 151, 162}, {2, 16997, 157, 162}, {3, 16996, 151, 162}, {3, 16997, 157, 162},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "setting " << c.buttonSetting << " hotkey " << c.hotkey);
    app.shell.explored.clear();
    StartWith(L"[General]\r\nMain button setting=" + DecimalText(c.buttonSetting) + L"\r\n");
    const size_t grabs = app.grab.calls.size();
    ASSERT_TRUE(host.PressHotkey(*dlg, c.hotkey));
    const bool single = c.hotkey == 16996;
    EXPECT_EQ(app.grab.calls.size() - grabs, single ? 1u : 0u);
    EXPECT_EQ(dlg->Capture().Run(0).pendingCount > 0, !single);
    EXPECT_TRUE(app.shell.explored.empty());  // a hotkey never opens a folder
    EXPECT_EQ(ButtonBitmap(), c.pressed);
    ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kButtonTimerId));
    EXPECT_EQ(ButtonBitmap(), c.normal);
    ASSERT_TRUE(WaitIdle());
    host.Close(*dlg);
  }
}

TEST_F(MainWindowTest, SecondClickRestartsThePressedTime) {
  StartWith(L"[General]\r\nMain button setting=2\r\n");
  ASSERT_TRUE(host.Click(*dlg, CLorikDlg::kMainButton));
  app.clock.Advance(100);
  ASSERT_TRUE(host.Click(*dlg, CLorikDlg::kMainButton));
  // The second press starts the one-shot timer again, for a full 200 ms.
  const std::vector<std::pair<unsigned, unsigned>> presses{{CLorikDlg::kButtonTimerId, 200},
                                                           {CLorikDlg::kButtonTimerId, 200}};
  std::vector<std::pair<unsigned, unsigned>> buttonStarts;
  for (const auto& start : view->timers.starts)
    if (start.first == CLorikDlg::kButtonTimerId) buttonStarts.push_back(start);
  EXPECT_EQ(buttonStarts, presses);
  EXPECT_TRUE(view->timers.IsRunning(CLorikDlg::kButtonTimerId));
  EXPECT_EQ(ButtonBitmap(), 160);
  // Other timers leave the pressed picture alone.
  ASSERT_TRUE(CaptureTick());
  EXPECT_EQ(ButtonBitmap(), 160);
  ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kButtonTimerId));
  EXPECT_EQ(ButtonBitmap(), 162);
  // One shot: it does not fire again.
  EXPECT_FALSE(host.Tick(*dlg, CLorikDlg::kButtonTimerId));
}

TEST_F(MainWindowTest, FolderThatCannotBeOpenedIsReported) {
  app.shell.failing = {L"C:\\Multi2"};
  StartWith(L"[General]\r\nMain button setting=3\r\nMain button show folder no=2\r\n");
  ASSERT_TRUE(host.Click(*dlg, CLorikDlg::kMainButton));
  EXPECT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"フォルダを開けませんでした：C:\\Multi2", L"Lorik", mb::kIconError}}));
  // Folders that open are not reported.
  messages.Clear();
  Command(CLorikDlg::kCommandSingleShotFolder);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(app.shell.explored.back(), L"C:\\Shots");
}

TEST_F(MainWindowTest, SingleShotReachesTheFileAndTheStatusLine) {
  StartWith(L"");
  ASSERT_TRUE(CaptureTick());
  ASSERT_TRUE(host.PressHotkey(*dlg, 16996));
  ASSERT_TRUE(WaitIdle());

  const auto files = app.store.Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, L"C:\\Shots\\single.png");
  EXPECT_FALSE(files.begin()->second.bytes.empty());
  EXPECT_EQ(dlg->Pipeline()->LastSavedFolder(), L"C:\\Shots");

  // The next timer message shows the single shot's capture time.
  Refresh();
  EXPECT_EQ(Bar().text, L"S 09:03:07");
  EXPECT_EQ(Bar().state, kPbstNormal);
  EXPECT_EQ(Bar().pos, 10000);
  // The last-saved-folder command now has a folder to open.
  Command(CLorikDlg::kCommandLastSavedFolder);
  EXPECT_EQ(app.shell.explored, std::vector<std::wstring>{L"C:\\Shots"});
}

TEST_F(MainWindowTest, MultiShotThroughCaptureTicksIsSavedUnderItsProfile) {
  TakeMultiShot(L"");
  const auto files = app.store.Files();
  EXPECT_EQ(files.size(), 3u);
  for (const auto& [path, file] : files) EXPECT_TRUE(path.starts_with(L"C:\\Multi1\\m")) << path;
  Refresh();
  EXPECT_TRUE(Bar().text.starts_with(L"M01 ")) << ToUtf8(Bar().text);
}

// With a target but settings the check refuses: no conversion worker runs, so
// the ConversionBuffer keeps what the test puts into it.
class StatusLineTest : public MainWindowTest {
 protected:
  void StartIdle(std::wstring_view extra = L"") {
    StartWith(L"[Save]\r\nImage bit depth=16\r\n" + std::wstring(extra));
    ASSERT_EQ(dlg->ConversionWorkers(), 0u);
    ASSERT_TRUE(dlg->Records().capture.targetWindow);
  }
  void Fill(int frames) {
    for (int i = 0; i < frames; ++i) dlg->Pipeline()->AppendForConversion(CapturedFrame{});
  }
};

TEST_F(StatusLineTest, BarShowsTheFreePartOfTheConversionBuffer) {
  struct Case {
    int frames;
    int state;
    int pos;
  };
  const Case cases[] = {
      {0, kPbstNormal, 10000},
      {1, kPbstPaused, 9800},
      {25, kPbstPaused, 5000},
      // 45 of 50 is a ratio of 0.9, not above it. In doubles 1 - r lands just
      // below the decimal value, and the position is truncated.
      {45, kPbstPaused, 999},
      {46, kPbstError, 799},
      {50, kPbstError, 0},
      // One more than the capacity: a negative position, which the bar shows empty.
      {51, kPbstError, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    StartIdle();
    Fill(c.frames);
    Refresh();
    EXPECT_EQ(Bar().state, c.state);
    EXPECT_EQ(Bar().pos, c.pos);
    EXPECT_EQ(Bar().lower, 0);
    EXPECT_EQ(Bar().upper, 10000);
    EXPECT_EQ(Bar().text, L"S 00:00:00");
    host.Close(*dlg);
  }
}

TEST_F(StatusLineTest, BufferInfoTextAndTheBarClickThatTogglesIt) {
  StartIdle(L"[General]\r\nShow save buffer info=1\r\n");
  Refresh();
  EXPECT_EQ(Bar().text, L"50 / 50 枚");
  Fill(20);
  Refresh();
  EXPECT_EQ(Bar().text, L"30 / 50 枚");

  Command(CLorikDlg::kProgressBar, 0);
  EXPECT_FALSE(dlg->Records().general.showSaveBufferInfo);
  Refresh();
  EXPECT_EQ(Bar().text, L"S 00:00:00");
  // Another notification code of the bar is no click.
  Command(CLorikDlg::kProgressBar, 1);
  EXPECT_FALSE(dlg->Records().general.showSaveBufferInfo);
  Command(CLorikDlg::kProgressBar, 0);
  Refresh();
  EXPECT_EQ(Bar().text, L"30 / 50 枚");

  host.Close(*dlg);
  EXPECT_EQ(
      IniFile::Parse(app.files.files.at(kIni)).GetInt(L"General", L"Show save buffer info", -1), 1);
}

TEST_F(MainWindowTest, LostTargetNamesTheSearchStateOnARedBar) {
  struct Case {
    const wchar_t* ini;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"[Capture]\r\nAutomatically recapture after lost=1\r\n", L"キャプ対象捜索中"},
      {L"[Capture]\r\nAutomatically recapture after lost=0\r\n", L"キャプチャ停止"},
  };
  app.processes.entries.clear();
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text));
    WriteIni(c.ini);
    Start();
    dlg->Pipeline()->AppendForConversion(CapturedFrame{});
    Refresh();
    EXPECT_EQ(Bar().text, c.text);
    EXPECT_EQ(Bar().state, kPbstError);
    EXPECT_EQ(Bar().pos, 10000);  // left where start-up put it
    host.Close(*dlg);
  }
}

std::vector<std::pair<unsigned, std::wstring>> Entries(const FakeMenu::Items& items) {
  std::vector<std::pair<unsigned, std::wstring>> entries;
  for (const FakeMenu::Item& item : items) entries.emplace_back(item.command, item.text);
  return entries;
}

TEST_F(MainWindowTest, RightClickShowsTheMenuWithAFolderItemPerProfile) {
  struct Case {
    const wchar_t* extra;
    bool alwaysOnTop;
    bool preview;
  };
  const Case cases[] = {
      {L"", false, true},
      {L"[General]\r\nAlways on top=1\r\n[Save]\r\nPreview image=0\r\n", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.extra));
    app.menus.shown.clear();
    app.menus.loaded.clear();
    app.menus.destroyed.clear();
    app.menus.cursor = {150, 200};
    StartWith(c.extra);
    RightClick();
    ASSERT_EQ(app.menus.shown.size(), 1u);
    const FakeMenu::Shown& shown = app.menus.shown[0];
    EXPECT_EQ(shown.at, (Point{150, 200}));
    ASSERT_EQ(shown.items.size(), 7u);
    ASSERT_TRUE(shown.items[0].submenu);
    EXPECT_EQ(Entries(*shown.items[0].submenu),
              (std::vector<std::pair<unsigned, std::wstring>>{{34779, L"最後に保存したフォルダ"},
                                                              {34781, L"マルチショット01"},
                                                              {34782, L"マルチショット02"},
                                                              {34783, L"マルチショット03"},
                                                              {34780, L"シングルショット"}}));
    EXPECT_EQ(shown.items[1].command, CLorikDlg::kCommandThumbnail);
    EXPECT_EQ(shown.items[1].checked, c.preview);
    EXPECT_EQ(shown.items[2].command, CLorikDlg::kCommandAlwaysOnTop);
    EXPECT_EQ(shown.items[2].checked, c.alwaysOnTop);
    EXPECT_EQ(app.menus.destroyed.size(), 1u);
    EXPECT_EQ(app.menus.destroyed, app.menus.loaded);
    host.Close(*dlg);
  }
}

TEST_F(MainWindowTest, OtherCursorMessagesShowNoMenu) {
  StartWith(L"");
  host.Send(*dlg, {ui::wm::kSetCursor, view->Handle().value,
                   static_cast<intptr_t>(ui::wm::kLButtonDown << 16 | 1u)});
  host.Send(*dlg, {ui::wm::kMouseActivate, view->Handle().value,
                   static_cast<intptr_t>(ui::wm::kRButtonUp << 16 | 1u)});
  EXPECT_TRUE(app.menus.shown.empty());
}

TEST_F(MainWindowTest, MissingMenuResourcesAreReportedAndShowNothing) {
  auto noFolders = std::make_shared<FakeMenu::Items>(
      FakeMenu::Items{{32776, L"サムネイルを表示", false, nullptr}});
  struct Case {
    std::optional<FakeMenu::Items> resource;  // nullopt: no menu 132 at all
    const wchar_t* message;
  };
  const Case cases[] = {
      {std::nullopt, L"Failed to load menu"},
      {FakeMenu::Items{}, L"Failed to load popup menu"},
      {FakeMenu::Items{{0, L"メニュー", false, noFolders}}, L"Failed to load folder menu"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.message));
    messages.Clear();
    app.menus.resources.clear();
    if (c.resource) app.menus.resources[CLorikDlg::kContextMenu] = *c.resource;
    StartWith(L"");
    app.menus.loaded.clear();
    app.menus.destroyed.clear();
    RightClick();
    EXPECT_TRUE(app.menus.shown.empty());
    EXPECT_EQ(app.menus.destroyed, app.menus.loaded);
    EXPECT_EQ(messages.Messages(),
              (std::vector<FakeMessageBox::Shown>{{c.message, L"Lorik", mb::kOk}}));
    host.Close(*dlg);
  }
}

TEST_F(MainWindowTest, FolderItemsOpenTheirProfilesFolder) {
  std::wstring profiles = L"[General]\r\nMaximum multi shot no=12\r\n";
  for (int k = 4; k <= 12; ++k) {
    const std::wstring no = PaddedDecimal(k, 2);
    profiles += L"[MultiShot" + no + L"]\r\nFolder=C:\\Multi" + no + L"\r\n";
  }
  StartWith(profiles);
  struct Case {
    unsigned command;
    const wchar_t* folder;  // nullptr: nothing opens
  };
  const Case cases[] = {
      {34781, L"C:\\Multi1"},
      {34783, L"C:\\Multi3"},
      {34789, L"C:\\Multi09"},
      {34790, L"C:\\Multi10"},
      {34792, L"C:\\Multi12"},
      {34793, nullptr},
      {34779, FakeApp::kDefaultFolder},  // the last saved folder, none yet: the default one
      {34780, L"C:\\Shots"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    app.shell.explored.clear();
    Command(c.command);
    if (c.folder == nullptr) {
      EXPECT_TRUE(app.shell.explored.empty());
    } else {
      EXPECT_EQ(app.shell.explored, std::vector<std::wstring>{c.folder});
    }
  }
  EXPECT_TRUE(messages.Messages().empty());

  // The menu lists all twelve, the tenth and later ones included.
  RightClick();
  ASSERT_EQ(app.menus.shown.size(), 1u);
  const FakeMenu::Items& folders = *app.menus.shown[0].items[0].submenu;
  ASSERT_EQ(folders.size(), 14u);
  EXPECT_EQ(folders[10].command, 34790u);
  EXPECT_EQ(folders[10].text, L"マルチショット10");
  EXPECT_EQ(folders[13].command, 34780u);
}

TEST_F(MainWindowTest, ExitAsksFirstWhenCheckOnExitIsOn) {
  struct Case {
    unsigned command;
    int answer;
    std::optional<int> ends;
  };
  const Case cases[] = {
      {ui::kIdCancel, mb::kIdCancel, std::nullopt},
      {ui::kIdCancel, mb::kIdOk, ui::kIdCancel},
      {ui::kIdOk, mb::kIdCancel, std::nullopt},
      {ui::kIdOk, mb::kIdOk, ui::kIdOk},
      {CLorikDlg::kCommandExit, mb::kIdCancel, std::nullopt},
      {CLorikDlg::kCommandExit, mb::kIdOk, ui::kIdCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.command << " answered " << c.answer);
    messages.Clear();
    messages.SetAnswer(c.answer);
    ui::FakeDialogView& v = StartWith(L"[General]\r\nCheck on exit=1\r\n");
    Command(c.command);
    EXPECT_EQ(messages.Messages(),
              (std::vector<FakeMessageBox::Shown>{
                  {L"終了しますか?", L"Lorik", mb::kOkCancel | mb::kIconQuestion}}));
    EXPECT_EQ(v.endResult, c.ends);
    host.Close(*dlg);
  }
}

TEST_F(MainWindowTest, WithoutCheckOnExitEscEndsAtOnce) {
  messages.SetAnswer(mb::kIdCancel);
  ui::FakeDialogView& v = StartWith(L"");
  Command(ui::kIdCancel);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(v.endResult, ui::kIdCancel);
}

TEST_F(MainWindowTest, ThumbnailCommandHidesAndShowsTheThumbnailInPlace) {
  ui::FakeDialogView& v = StartWith(L"");
  ASSERT_TRUE(dlg->ThumbnailShown());
  ASSERT_EQ(v.windowRect, kTemplateWindow);
  const size_t workers = dlg->ConversionWorkers();
  auto minTrack = [&] {
    ui::MinMaxInfo info;
    host.Send(*dlg, {ui::wm::kGetMinMaxInfo, 0, reinterpret_cast<intptr_t>(&info)});
    return info.minTrackSize;
  };
  EXPECT_EQ(minTrack(), (Point{120, 130}));

  Command(CLorikDlg::kCommandThumbnail);
  EXPECT_FALSE(dlg->Records().save.previewImage);
  EXPECT_FALSE(dlg->ThumbnailShown());
  EXPECT_FALSE(v.Control(CLorikDlg::kThumbnail).visible);
  EXPECT_EQ(dlg->Records().save.previewWidth, 104);
  EXPECT_EQ(dlg->Records().save.previewHeight, 78);
  // Same place, the thumbnail's height less.
  EXPECT_EQ(v.windowRect, (Rect{100, 120, 220, 172}));
  EXPECT_EQ(v.clientRect.Height(), 20);
  EXPECT_EQ(v.layoutMinimum, (Size{104, 20}));
  EXPECT_EQ(minTrack(), (Point{120, 52}));
  EXPECT_EQ(dlg->ConversionWorkers(), workers);

  Command(CLorikDlg::kCommandThumbnail);
  EXPECT_TRUE(dlg->Records().save.previewImage);
  EXPECT_TRUE(dlg->ThumbnailShown());
  EXPECT_TRUE(v.Control(CLorikDlg::kThumbnail).visible);
  // Back to the size it had: the preview's client size plus the window's frame.
  EXPECT_EQ(v.windowRect, kTemplateWindow);
  EXPECT_EQ(v.clientRect.Height(), 98);
  EXPECT_EQ(v.layoutMinimum, (Size{104, 98}));
  EXPECT_EQ(minTrack(), (Point{120, 130}));
  for (const auto& call : v.windowPosCalls) {
    if (!call.order) {
      EXPECT_NE(call.flags & ui::swp::kNoMove, 0u);
    }
  }
}

// On a monitor of another scale: the window takes the suggested rectangle,
// the button the pictures drawn for the new scale (normal and pressed), and
// the smallest size and the thumbnail's own size follow the scale, so that
// hiding and showing the thumbnail afterwards keeps the window in proportion.
TEST_F(MainWindowTest, DpiChangeShowsThePicturesOfTheNewScaleAndScalesTheSmallestSize) {
  ui::FakeDialogView& v = StartWith(L"[General]\r\nMain button setting=0\r\n");
  ASSERT_EQ(ButtonBitmap(), IDB_SINGLE_NORMAL);
  auto minTrack = [&] {
    ui::MinMaxInfo info;
    host.Send(*dlg, {ui::wm::kGetMinMaxInfo, 0, reinterpret_cast<intptr_t>(&info)});
    return info.minTrackSize;
  };
  const Rect suggested{150, 180, 330, 375};
  ASSERT_TRUE(host.ChangeDpi(*dlg, 144, suggested));
  EXPECT_EQ(v.windowRect, suggested);
  EXPECT_EQ(ButtonBitmap(), IDB_SINGLE_NORMAL_144);
  EXPECT_EQ(minTrack(), (Point{180, 195}));

  host.Click(*dlg, CLorikDlg::kMainButton);
  EXPECT_EQ(ButtonBitmap(), IDB_SINGLE_PRESSED_144);
  ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kButtonTimerId));
  EXPECT_EQ(ButtonBitmap(), IDB_SINGLE_NORMAL_144);

  // Back at 100 % the pictures and the smallest size are those it started with.
  ASSERT_TRUE(host.ChangeDpi(*dlg, 96, kTemplateWindow));
  EXPECT_EQ(ButtonBitmap(), IDB_SINGLE_NORMAL);
  EXPECT_EQ(minTrack(), (Point{120, 130}));
}

TEST_F(MainWindowTest, OnlyTheMinimisedWindowPaintsItselfTheIcon) {
  ui::FakeDialogView& v = StartWith(L"");
  EXPECT_EQ(host.Send(*dlg, {ui::wm::kPaint, 0, 0}), std::nullopt);
  EXPECT_EQ(v.paintedIcon, 0);
  v.minimized = true;
  EXPECT_EQ(host.Send(*dlg, {ui::wm::kPaint, 0, 0}), intptr_t{0});
  EXPECT_EQ(v.paintedIcon, CLorikDlg::kIcon);
}

TEST_F(MainWindowTest, AlwaysOnTopCommandTogglesTheTopmostState) {
  ui::FakeDialogView& v = StartWith(L"");
  ASSERT_FALSE(v.topmost);
  Command(CLorikDlg::kCommandAlwaysOnTop);
  EXPECT_TRUE(v.topmost);
  EXPECT_TRUE(dlg->Records().general.alwaysOnTop);
  EXPECT_EQ(v.windowPosCalls.back().order, ui::ZOrder::Topmost);
  EXPECT_EQ(v.windowPosCalls.back().flags, ui::swp::kNoMove | ui::swp::kNoSize);
  Command(CLorikDlg::kCommandAlwaysOnTop);
  EXPECT_FALSE(v.topmost);
  EXPECT_FALSE(dlg->Records().general.alwaysOnTop);
  EXPECT_EQ(v.windowPosCalls.back().order, ui::ZOrder::NoTopmost);
}

// The Settings command.
class SettingCommandTest : public MainWindowTest {
 protected:
  // Runs `whileOpen` inside every run of the settings dialog, with the run's number.
  void WhileSettingsOpen(std::function<void(CSetting&, int run)> whileOpen) {
    host.WhileOpen(IDD_SETTING, [this, whileOpen](ui::Dialog& dialog, ui::FakeDialogView&) {
      whileOpen(static_cast<CSetting&>(dialog), ++runs);
    });
  }
  ui::FakeDialogView& CapturePage() { return *host.LastView(IDD_SETTING_CAPTURE); }
  int SettingsRuns() const {
    return static_cast<int>(
        std::count_if(host.created.begin(), host.created.end(),
                      [](const auto& c) { return c.templateId == IDD_SETTING; }));
  }

  int runs = 0;
};

TEST_F(SettingCommandTest, StartOpensTheSettingsWithoutAFileOrWithARefusedOne) {
  const struct Case {
    const char* name;
    std::optional<std::wstring_view> ini;
    int runs;
  } cases[] = {
      {"no file", std::nullopt, 1},
      {"refused file", L"[Save]\r\nImage bit depth=16\r\n", 1},
      {"valid file", L"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.created.clear();
    app.files.files.erase(kIni);
    ui::FakeDialogView& v = c.ini ? StartWith(*c.ini) : Start();
    EXPECT_EQ(SettingsRuns(), c.runs);
    if (c.runs > 0) {
      EXPECT_EQ(host.created[1].parent, v.Handle());
    }
    host.Close(*dlg);
  }
}

TEST_F(SettingCommandTest, CancelKeepsEverySettingAndRegistersTheHotkeysAgain) {
  ui::FakeDialogView& v = StartWith(L"");
  const SettingsRecords before = dlg->Records();
  app.windows.AddWindow(0x5300, {}, L"Other", L"Other game", 4, 42, {300, 200});
  WhileSettingsOpen([&](CSetting& setting, int) {
    EXPECT_TRUE(v.hotkeys.registered.empty());
    EXPECT_EQ(CapturePage().Control(IDC_EDIT_PERIOD).text, L"50");
    // The menu stays closed, the capture goes on with the old settings.
    RightClick();
    EXPECT_TRUE(app.menus.shown.empty());
    app.grab.calls.clear();
    ASSERT_TRUE(CaptureTick());
    ASSERT_EQ(app.grab.calls.size(), 1u);
    EXPECT_EQ(app.grab.calls[0].source, WindowHandle{kTarget});
    setting.capturePage.picker.droppedWindow = WindowHandle{0x5300};
    CapturePage().SendNotify(IDC_BUTTON_DRAG, ui::nm::kReleasedCapture);
    CapturePage().Control(IDC_EDIT_PERIOD).text = L"20";
  });
  Command(CLorikDlg::kCommandSetting);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(dlg->Records(), before);
  EXPECT_EQ(v.hotkeys.registered.size(), 2u);
  EXPECT_EQ(dlg->Clock().PeriodMs(), 50u);
  RightClick();
  EXPECT_EQ(app.menus.shown.size(), 1u);
}

TEST_F(SettingCommandTest, RefusedCheckReopensOnTheEnteredValuesUntilTheyPass) {
  ui::FakeDialogView& v = StartWith(L"");
  messages.Clear();
  std::vector<std::wstring> shown;
  WhileSettingsOpen([&](CSetting& setting, int run) {
    ui::FakeDialogView& host = *this->host.ViewOf(setting);
    EXPECT_EQ(host.GetTabSelection(IDC_TAB_SETTING), 0);
    this->host.SelectTab(setting, IDC_TAB_SETTING, 2);
    shown.push_back(CapturePage().Control(IDC_EDIT_PERIOD).text);
    CapturePage().Control(IDC_EDIT_PERIOD).text = run < 3 ? L"5" : L"30";
    this->host.Click(setting, ui::kIdOk);
  });
  Command(CLorikDlg::kCommandSetting);
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"50", L"5", L"5"}));
  const FakeMessageBox::Shown refused{L"キャプチャ設定の取込周期は10ms以上としてください",
                                      L"Lorik設定チェック結果", mb::kIconError};
  EXPECT_EQ(messages.Messages(), (std::vector<FakeMessageBox::Shown>{refused, refused}));
  EXPECT_EQ(dlg->Records().capture.periodBetweenEachCapture, 30u);
  EXPECT_EQ(dlg->Clock().PeriodMs(), 30u);
  EXPECT_EQ(v.hotkeys.registered.size(), 2u);
}

// A folder in use that cannot be made is found at start-up, while the user
// can still fix it: the settings open on the hotkey tab with its profile
// shown, again after each refusal, and the fixed folder is made at OK.
TEST_F(SettingCommandTest, AFolderThatCannotBeMadeOpensTheHotkeyTabOnItsProfile) {
  app.store.FailFolder(L"C:\\Multi2");
  std::vector<std::pair<int, int>> opened;  // tab, profile shown
  WhileSettingsOpen([&](CSetting& setting, int run) {
    ui::FakeDialogView& hotkeys = *host.LastView(IDD_SETTING_HOTKEY);
    opened.push_back({host.ViewOf(setting)->GetTabSelection(IDC_TAB_SETTING),
                      hotkeys.Control(IDC_COMBO_MULTI_PROFILE).selection});
    if (run == 2) hotkeys.Control(IDC_EDIT_MULTI_FOLDER).text = L"C:\\Multi2b";
    host.Click(setting, ui::kIdOk);
  });
  StartWith(L"[MultiShot02]\r\nVirtual key=50\r\nModifier=3\r\n");
  const FakeMessageBox::Shown refused{
      L"マルチショット02の保存先フォルダを作成できません：C:\\Multi2", L"Lorik設定チェック結果",
      mb::kIconError};
  EXPECT_EQ(messages.Messages(), (std::vector<FakeMessageBox::Shown>{refused, refused}));
  EXPECT_EQ(opened, (std::vector<std::pair<int, int>>{{1, 1}, {1, 1}}));
  EXPECT_EQ(dlg->Records().shot.multiShots[1].folder, L"C:\\Multi2b");
  EXPECT_TRUE(app.store.HasFolder(L"C:\\Multi2b"));
  EXPECT_TRUE(app.store.HasFolder(L"C:\\Multi1"));
}

TEST_F(SettingCommandTest, AcceptedSettingsAreCopiedBackAndApplied) {
  ui::FakeDialogView& v = StartWith(L"");
  constexpr WindowHandle kNewTarget{0x5300};
  app.windows.AddWindow(kNewTarget.value, {}, L"Other", L"Other game", 4, 42, {300, 200});
  WhileSettingsOpen([&](CSetting& setting, int) {
    setting.capturePage.picker.droppedWindow = kNewTarget;
    CapturePage().SendNotify(IDC_BUTTON_DRAG, ui::nm::kReleasedCapture);
    CapturePage().Control(IDC_EDIT_PERIOD).text = L"40";
    CapturePage().Control(IDC_EDIT_AREA_WIDTH).text = L"0";
    host.Click(setting, ui::kIdOk);
  });
  Command(CLorikDlg::kCommandSetting);
  const CaptureSettings& capture = dlg->Records().capture;
  EXPECT_EQ(capture.targetWindow, kNewTarget);
  EXPECT_EQ(capture.className, L"Other");
  EXPECT_EQ(capture.title, L"Other game");
  EXPECT_EQ(capture.controlId, 4);
  EXPECT_EQ(capture.periodBetweenEachCapture, 40u);
  // Applied: the empty width takes the new target's client width, the timer the period.
  EXPECT_EQ(capture.captureArea, (Rect{0, 0, 300, 6}));
  EXPECT_EQ(dlg->Clock().PeriodMs(), 40u);
  EXPECT_EQ(v.hotkeys.registered.size(), 2u);
  app.grab.calls.clear();
  ASSERT_TRUE(CaptureTick());
  ASSERT_EQ(app.grab.calls.size(), 1u);
  EXPECT_EQ(app.grab.calls[0].source, kNewTarget);
}

// A multi shot pressed just before the dialog opens is taken by the capture
// ticks while it is open; accepting the dialog must not start it again.
TEST_F(SettingCommandTest, MultiShotThatRanWhileTheDialogWasOpenIsNotTakenAgain) {
  StartWith(
      L"[MultiShot01]\r\nFormat=m%ms%\r\nNumber of saved image before hotkey=2\r\n"
      L"Number of saved image after hotkey=3\r\n");
  auto tick = [&] {
    ASSERT_TRUE(CaptureTick());
    app.clock.Advance(50);
  };
  for (int i = 0; i < 3; ++i) tick();
  ASSERT_TRUE(host.PressHotkey(*dlg, 16997));
  WhileSettingsOpen([&](CSetting& setting, int) {
    for (int i = 0; i < 4; ++i) tick();
    host.Click(setting, ui::kIdOk);
  });
  Command(CLorikDlg::kCommandSetting);
  ASSERT_EQ(runs, 1);
  for (int i = 0; i < 6; ++i) tick();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(app.store.Files().size(), 5u);
}

// The exit writes what the workers can finish and says how many frames it
// could not save: here the three frames of a multi shot taken before its press,
// and the seventeen it still owed, which were never captured.
TEST_F(MainWindowTest, ExitWritesTheQueuedFramesAndCountsThoseNeverCaptured) {
  StartWith(L"");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(CaptureTick());
  dlg->Capture().TriggerMultiShot(0);
  ASSERT_EQ(dlg->Capture().Run(0).pendingCount, 20);
  messages.Clear();
  host.Close(*dlg);

  EXPECT_EQ(app.store.Files().size(), 3u);
  EXPECT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"終了までに保存が間に合わなかったため、画像17枚は保存されませんでした", L"Lorik",
                 mb::kIconExclamation}}));
}

// Without workers nothing can be written: the exit says so at once, and only once.
TEST_F(StatusLineTest, ExitWithoutWorkersCountsEveryQueuedFrameOnce) {
  StartIdle();
  Fill(4);
  messages.Clear();
  host.Close(*dlg);
  dlg->Shutdown();
  EXPECT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"終了までに保存が間に合わなかったため、画像4枚は保存されませんでした", L"Lorik",
                 mb::kIconExclamation}}));
  EXPECT_TRUE(app.store.Files().empty());
}

// Save failures reach the window as a posted message; the window shows them
// one box at a time, and the worker never waits for it.
TEST_F(MainWindowTest, SaveFailuresArePostedToTheWindowAndShownThere) {
  ui::FakeDialogView& v = StartWith(L"");
  messages.Clear();
  const std::shared_ptr<PipelineState>& state = dlg->Pipeline();
  state->ReportSaveFailure(SaveFailure::Folder, L"C:\\Multi1", L"C:\\Multi1",
                           FakeApp::kDefaultFolder);
  EXPECT_EQ(messages.Count(), 0u);  // nothing shown on the worker's side
  const auto posted = app.posterShared->Take();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].first, v.Handle());
  host.Send(*dlg, {posted[0].second, 0, 0});
  EXPECT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"フォルダの作成に失敗しました：C:\\Multi1\n画像1枚を既定の保存先に保存しました："
                 L"C:\\Users\\user\\Pictures\\Lorik",
                 L"Lorik", mb::kIconError}}));

  // After the window has gone nothing is posted to it; what is left is shown at exit.
  host.Close(*dlg);
  messages.Clear();
  state->ReportSaveFailure(SaveFailure::File, L"C:\\Multi1\\x.png", L"C:\\Multi1", L"");
  EXPECT_EQ(app.posterShared->Count(), 0u);
}

// The folder items and the folder button open the folder a shot would use,
// making it first when no shot has yet; one that cannot be made is said.
TEST_F(MainWindowTest, FolderItemsMakeTheFolderTheyOpen) {
  StartWith(L"");
  app.store.FailFolder(L"C:\\Multi3");
  messages.Clear();
  // Profiles without a key are not made at start-up.
  EXPECT_FALSE(app.store.HasFolder(L"C:\\Multi2"));
  Command(34782);  // profile 2
  EXPECT_TRUE(app.store.HasFolder(L"C:\\Multi2"));
  Command(34783);  // profile 3
  EXPECT_EQ(app.shell.explored, std::vector<std::wstring>{L"C:\\Multi2"});
  EXPECT_EQ(messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"フォルダを開けませんでした：C:\\Multi3", L"Lorik", mb::kIconError}}));
}

// The pace of the capture: the clock's thread posts a tick per period, which
// the window takes on its own thread, also inside the loops of its boxes and
// dialogs; the window's timer stands in where no clock can run.
class MainWindowClockTest : public SettingCommandTest {
 protected:
  static constexpr int64_t kMs = 1'000'000;
  // Moves the clock's counter on by `ms` and delivers the ticks it posted,
  // as the window's message loop would; how many there were.
  size_t RunClockFor(int64_t ms) {
    EXPECT_TRUE(timer.AwaitIdle());
    timer.Advance(ms * kMs);
    EXPECT_TRUE(timer.AwaitIdle());
    size_t ticks = 0;
    for (const auto& [window, message] : app.posterShared->Take()) {
      if (message != kCaptureTickMessage) continue;
      EXPECT_EQ(window, view->Handle());
      EXPECT_TRUE(host.Send(*dlg, {message, 0, 0}));
      ++ticks;
    }
    return ticks;
  }

  FakeDeadlineTimer& timer = *app.captureTimerShared;
};

TEST_F(MainWindowClockTest, TheClockPacesTheCaptureAndTheWindowTimerStandsInWithoutIt) {
  for (const bool usable : {true, false}) {
    SCOPED_TRACE(usable ? "clock" : "no clock");
    timer.usable = usable;
    ui::FakeDialogView& v = StartWith(L"");
    EXPECT_EQ(dlg->Clock().PeriodMs(), usable ? 50u : 0u);
    EXPECT_EQ(v.timers.PeriodOf(CLorikDlg::kCaptureTimerId), usable ? 0u : 50u);
    app.grab.calls.clear();
    if (usable) {
      EXPECT_EQ(RunClockFor(50), 1u);
    } else {
      ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kCaptureTimerId));
    }
    EXPECT_EQ(app.grab.calls.size(), 1u);
    host.Close(*dlg);
    EXPECT_FALSE(dlg->Clock().Running());
  }
}

TEST_F(MainWindowClockTest, AClockWhoseWaitFailsHandsThePaceToTheWindowTimer) {
  ui::FakeDialogView& v = StartWith(L"");
  messages.Clear();
  ASSERT_TRUE(timer.AwaitIdle());
  timer.FailWaits();
  std::vector<std::pair<WindowHandle, uint32_t>> posted;
  for (int i = 0; i < 500 && posted.empty(); ++i) {
    posted = app.posterShared->Take();
    if (posted.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].second, kCaptureTickMessage);
  app.grab.calls.clear();
  host.Send(*dlg, {posted[0].second, 0, 0});
  EXPECT_FALSE(dlg->Clock().Running());
  EXPECT_EQ(v.timers.PeriodOf(CLorikDlg::kCaptureTimerId), 50u);
  ASSERT_TRUE(host.Tick(*dlg, CLorikDlg::kCaptureTimerId));
  EXPECT_EQ(app.grab.calls.size(), 2u);
  EXPECT_TRUE(messages.Messages().empty());
}

// A box the capture itself opens holds the clock until it closes; one that
// another message opens runs a loop that takes the ticks, as WM_TIMER's were.
TEST_F(MainWindowClockTest, OnlyABoxTheCaptureOpenedHoldsTheClock) {
  StartWith(L"");
  size_t inside = 0;
  messages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    app.grab.hidden.clear();
    inside += RunClockFor(50);
    inside += RunClockFor(50);
  });
  // The target is hidden: the tick's capture says so.
  app.grab.hidden.insert(kTarget);
  EXPECT_EQ(RunClockFor(50), 1u);
  EXPECT_EQ(inside, 0u);
  EXPECT_EQ(dlg->Clock().Skipped(), 2u);
  app.grab.calls.clear();
  EXPECT_EQ(RunClockFor(50), 1u);
  EXPECT_EQ(app.grab.calls.size(), 1u);
  // A save failure's box, from the message the save worker posts.
  dlg->Pipeline()->ReportSaveFailure(SaveFailure::Folder, L"C:\\Multi1", L"C:\\Multi1",
                                     FakeApp::kDefaultFolder);
  const auto posted = app.posterShared->Take();
  ASSERT_EQ(posted.size(), 1u);
  host.Send(*dlg, {posted[0].second, 0, 0});
  EXPECT_EQ(inside, 2u);
  EXPECT_EQ(dlg->Clock().Skipped(), 2u);
  EXPECT_EQ(messages.Count(), 2u);
}

// Cancel leaves the clock on the grid it started with; OK starts the new
// period from then. Ticks come inside the dialog either way.
TEST_F(MainWindowClockTest, TheSettingsDialogLeavesTheClockRunningAndOkStartsTheNewPeriod) {
  StartWith(L"");
  const int64_t first = timer.AwaitIdle().value_or(-1);
  bool accept = false;
  size_t inside = 0;
  WhileSettingsOpen([&](CSetting& setting, int) {
    app.grab.calls.clear();
    inside += RunClockFor(50);
    EXPECT_EQ(app.grab.calls.size(), 1u);
    CapturePage().Control(IDC_EDIT_PERIOD).text = L"20";
    if (accept) host.Click(setting, ui::kIdOk);
  });
  Command(CLorikDlg::kCommandSetting);
  EXPECT_EQ(inside, 1u);
  EXPECT_EQ(dlg->Clock().PeriodMs(), 50u);
  EXPECT_EQ(timer.AwaitIdle(), first + 50 * kMs);
  accept = true;
  Command(CLorikDlg::kCommandSetting);
  EXPECT_EQ(inside, 2u);
  EXPECT_EQ(dlg->Clock().PeriodMs(), 20u);
  EXPECT_EQ(timer.AwaitIdle(), timer.Now() + 20 * kMs);
  EXPECT_EQ(RunClockFor(20), 1u);
}

// The exit's boxes come after the clock has stopped, and a tick still in the
// queue when the session ends captures nothing more.
TEST_F(MainWindowClockTest, TheExitStopsTheClockBeforeItsMessages) {
  StartWith(L"");
  for (int i = 0; i < 3; ++i) ASSERT_EQ(RunClockFor(50), 1u);
  dlg->Capture().TriggerMultiShot(0);
  std::vector<bool> runningAtBoxes;
  messages.SetWhileOpen(
      [&](const FakeMessageBox::Shown&) { runningAtBoxes.push_back(dlg->Clock().Running()); });
  app.grab.calls.clear();
  host.Send(*dlg, {ui::wm::kEndSession, 1, 0});
  EXPECT_EQ(runningAtBoxes, std::vector<bool>{false});
  EXPECT_FALSE(timer.Waiting());
  EXPECT_EQ(app.trace.Count("Capture clock: 3 ticks, 0 slots skipped.\n"), 1u);
  host.Send(*dlg, {kCaptureTickMessage, 0, 0});
  EXPECT_TRUE(app.grab.calls.empty());
}

TEST_F(MainWindowClockTest, TheClockOutranksTheSaveWorkerWhichOutranksTheEncoders) {
  StartWith(L"");  // two conversion workers
  FakeThreadPriority& priorities = *app.prioritiesShared;
  for (int i = 0; i < 500 && priorities.Threads() < 4; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(priorities.ThreadsAt(ThreadPriority::BelowNormal), 2u);
  EXPECT_EQ(priorities.ThreadsAt(ThreadPriority::Normal), 1u);
  EXPECT_EQ(priorities.ThreadsAt(ThreadPriority::Highest), 1u);
}

// The review of the last shot from the main window: the multi shot of
// TakeMultiShot, saved by the real workers on fakes.
class ShotReviewTest : public MainWindowTest {
 protected:
  ShotReviewTest() { AddReviewTemplate(host); }
  // What the save worker posted to the main window, handed to it; the count of
  // shot messages.
  int DeliverShotMessages() {
    int shots = 0;
    for (const auto& [window, message] : app.posterShared->Take()) {
      if (message != kShotSavedMessage) continue;
      EXPECT_EQ(window, view->Handle());
      ++shots;
      host.Send(*dlg, {message, 0, 0});
    }
    return shots;
  }
  std::vector<std::wstring> ReviewLabels() { return app.filmstrip.strip.Labels(); }
};

TEST_F(ShotReviewTest, OpensByItselfOnceTheMultiShotIsWrittenWhenAskedAndOnlyOnce) {
  TakeMultiShot(L"[General]\r\nReview after multi shot=1\r\n");
  // One message at the shot's end, and one more for each file that a second
  // conversion worker finished after it; however many, one window opens.
  EXPECT_GE(DeliverShotMessages(), 1);
  EXPECT_EQ(std::count_if(host.created.begin(), host.created.end(),
                          [](const auto& c) { return c.templateId == CBurstReview::kTemplate; }),
            1);
  CBurstReview* review = dlg->Review().Window();
  ASSERT_NE(review, nullptr);
  EXPECT_EQ(review->Model().Size(), 3u);
  const std::vector<std::wstring> labels = ReviewLabels();
  EXPECT_EQ(labels.size(), 3u);
  EXPECT_EQ(std::count(labels.begin(), labels.end(), L"押下"), 1);
  EXPECT_EQ(host.created.back().parent, view->Handle());
  // Closed by the user: a late word about the same shot does not bring it back.
  host.Send(*review, ui::CommandMessage(ui::kIdCancel));
  EXPECT_EQ(dlg->Review().Window(), nullptr);
  host.Send(*dlg, {kShotSavedMessage, 0, 0});
  EXPECT_EQ(dlg->Review().Window(), nullptr);
}

TEST_F(ShotReviewTest, WithoutTheSwitchOnlyTheMenuItemOrTheThumbnailOpensIt) {
  TakeMultiShot(L"");
  EXPECT_FALSE(dlg->Records().general.reviewAfterMultiShot);
  DeliverShotMessages();
  EXPECT_EQ(dlg->Review().Window(), nullptr);
  struct Case {
    unsigned command;
    int code;
  };
  for (const Case& c : {Case{CLorikDlg::kCommandReviewLastShot, 0},
                        Case{static_cast<unsigned>(CLorikDlg::kThumbnail), stn::kDoubleClick}}) {
    Command(c.command, c.code);
    CBurstReview* review = dlg->Review().Window();
    ASSERT_NE(review, nullptr) << c.command;
    EXPECT_EQ(review->Model().Size(), 3u);
    host.Send(*review, ui::CommandMessage(ui::kIdCancel));
  }
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ShotReviewTest, BeforeAnyShotTheMenuItemSaysSo) {
  StartWith(L"");
  Command(CLorikDlg::kCommandReviewLastShot);
  EXPECT_EQ(dlg->Review().Window(), nullptr);
  ASSERT_EQ(messages.Count(), 1u);
  EXPECT_EQ(messages.Messages()[0].text, L"確認できるマルチショットがまだありません");
}

TEST_F(ShotReviewTest, ASingleShotIsReviewedAsItsOnePicture) {
  StartWith(L"");
  ASSERT_TRUE(host.PressHotkey(*dlg, 16996));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(DeliverShotMessages(), 0);  // nothing opens by itself for a single shot
  Command(CLorikDlg::kCommandReviewLastShot);
  ASSERT_NE(dlg->Review().Window(), nullptr);
  EXPECT_EQ(ReviewLabels(), std::vector<std::wstring>{L"押下"});
}

}  // namespace
}  // namespace lorik
