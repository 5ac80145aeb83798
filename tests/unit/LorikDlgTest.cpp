// The main window's start-up and shutdown sequences, driven on fakes.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/AboutDlg.h"
#include "app/LorikApp.h"
#include "app/LorikDlg.h"
#include "core/Text.h"
#include "fakes/FakeApp.h"
#include "fakes/FakeSettingTemplates.h"
#include "settings/IniFile.h"

namespace lorik {
namespace {

const std::wstring kIni = L"C:\\Games\\Lorik\\Lorik.ini";
const Rect kTemplateWindow{100, 120, 220, 250};

class LorikDlgTest : public ::testing::Test {
 protected:
  LorikDlgTest() {
    host.OnCreate(CLorikDlg::kTemplate, [](ui::FakeDialogView& v) {
      v.windowRect = kTemplateWindow;
      v.clientRect = {0, 0, 104, 98};
      v.strings[101] = L"Lorikについて(&A)...";
      v.AddControl(CLorikDlg::kProgressBar).rect = {18, 78, 104, 98};
      v.AddControl(CLorikDlg::kThumbnail).rect = {0, 0, 104, 78};
      v.AddControl(CLorikDlg::kMainButton).rect = {2, 81, 18, 94};
    });
    // Start-up may open the settings; their templates are those of the program.
    AddSettingTemplates(host);
    host.OnCreate(CAboutDlg::kTemplate, [](ui::FakeDialogView& v) {
      v.AddControl(CAboutDlg::kVersionText).text = L"Lorik、バージョン 1.00";
    });
  }

  void WriteIni(std::wstring_view text) {
    const auto bytes = IniFile::FromText(text).Serialize();
    files.files[kIni] = {bytes.begin(), bytes.end()};
  }
  IniFile WrittenIni() { return IniFile::Parse(files.files.at(kIni)); }

  ui::FakeDialogView& Start() {
    dlg = std::make_unique<CLorikDlg>(ports, kIni);
    return host.Open(*dlg);
  }
  // Trace lines of the user-interface thread: the workers' own lines come in
  // whatever order the threads run.
  std::vector<std::string> UiTraces() {
    static const std::set<std::string> kWorkerLines{
        "Save thread started.\n", "Save thread stopped.\n", "Convert thread started.\n",
        "Conv thread stopped.\n"};
    std::vector<std::string> lines;
    for (const std::string& line : trace.Lines())
      if (!kWorkerLines.contains(line)) lines.push_back(line);
    return lines;
  }
  std::vector<std::wstring> MessageTexts() {
    std::vector<std::wstring> texts;
    for (const auto& m : messages.Messages()) texts.push_back(m.text);
    return texts;
  }

  FakeApp app;
  FakeTrace& trace = app.trace;
  FakeMessageBox& messages = app.messages;
  fakes::FakeSystem& system = app.system;
  fakes::FakeInstanceGuard& instance = app.instance;
  FakeFiles& files = app.files;
  ui::FakeDialogHost& host = app.host;
  AppPorts ports = app.Ports();
  std::unique_ptr<CLorikDlg> dlg;
};

TEST_F(LorikDlgTest, FirstStartWithoutIniReportsTheMissingFileAndStartsBothTimers) {
  ui::FakeDialogView& view = Start();
  ASSERT_EQ(messages.Count(), 1u);
  EXPECT_EQ(messages.Messages()[0],
            (FakeMessageBox::Shown{L"設定ファイルが存在しないため、設定ウィンドウを開きます。",
                                   L"Lorik", mb::kIconExclamation}));
  // No settings to apply: the hotkeys are registered as after a cancelled
  // settings dialog, and no conversion worker starts.
  EXPECT_EQ(UiTraces(),
            (std::vector<std::string>{"Starting capture timer.\n", "Registering Single Hotkey\n",
                                      "Registering Multi Hotkey\n", "Starting save thread...\n",
                                      "All save thread has started successfully.\n",
                                      "Starting re-search timer.\n"}));
  EXPECT_EQ(dlg->ConversionWorkers(), 0u);
  EXPECT_EQ(dlg->Clock().PeriodMs(), 100u);
  EXPECT_FALSE(view.timers.IsRunning(CLorikDlg::kCaptureTimerId));
  EXPECT_EQ(view.timers.PeriodOf(CLorikDlg::kResearchTimerId), 1000u);
  ASSERT_EQ(view.systemMenu.size(), 2u);
  EXPECT_TRUE(view.systemMenu[0].separator);
  EXPECT_EQ(view.systemMenu[1].command, CLorikDlg::kAboutCommand);
  EXPECT_EQ(view.systemMenu[1].text, L"Lorikについて(&A)...");
  EXPECT_EQ(view.icon, CLorikDlg::kIcon);
  // Without stored placement the window stays where the template put it.
  ASSERT_FALSE(view.windowPosCalls.empty());
  EXPECT_EQ(view.windowPosCalls[0].rect, kTemplateWindow);
  EXPECT_FALSE(view.endResult.has_value());
  // Defaults that come from the window: the thumbnail's size.
  EXPECT_EQ(dlg->Records().save.previewWidth, 104);
  EXPECT_EQ(dlg->Records().save.previewHeight, 78);
}

TEST_F(LorikDlgTest, ShutdownStopsTimersUnregistersHotkeysAndWritesEveryKey) {
  WriteIni(L"[General]\r\nMaximum multi shot no=2\r\n[Unknown]\r\nkeep=me\r\n");
  ui::FakeDialogView& view = Start();
  view.hotkeys.Register(16996, 3, 83);
  view.hotkeys.Register(16998, 0, 50);
  trace.Clear();
  view.windowRect = {300, 310, 420, 440};  // the user moved the window
  host.Close(*dlg);

  // Timers first, then the settings, then the workers.
  const std::vector<std::string> lines = UiTraces();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Stopping all timers.\n");
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"All convert thread stopped.\n", "Stopping save thread...\n",
                                      "All save thread stopped.\n"}));
  const std::vector<unsigned> lastKills(view.timers.kills.end() - 3, view.timers.kills.end());
  EXPECT_EQ(lastKills, (std::vector<unsigned>{CLorikDlg::kCaptureTimerId, CLorikDlg::kButtonTimerId,
                                              CLorikDlg::kResearchTimerId}));
  EXPECT_TRUE(view.timers.running.empty());
  EXPECT_FALSE(dlg->Clock().Running());
  EXPECT_TRUE(view.hotkeys.registered.empty());

  const IniFile ini = WrittenIni();
  EXPECT_EQ(ini.GetInt(L"General", L"Window pos x", -1), 300);
  EXPECT_EQ(ini.GetInt(L"General", L"Window pos height", -1), 130);
  EXPECT_EQ(ini.GetInt(L"MultiShot02", L"ID", -1), 16998);
  EXPECT_EQ(ini.GetInt(L"MultiShot03", L"ID", -1), -1);
  EXPECT_EQ(ini.GetString(L"Unknown", L"keep", L""), L"me");
}

// Logoff and shutdown: the query is granted without the exit question, a
// cancelled end keeps everything running, and the end itself saves the
// settings and stops like an exit before the window is gone.
TEST_F(LorikDlgTest, TheEndOfTheSessionSavesTheSettingsAndEndsLikeAnExit) {
  WriteIni(L"[General]\r\nCheck on exit=1\r\n[Unknown]\r\nkeep=me\r\n");
  ui::FakeDialogView& view = Start();
  messages.Clear();
  messages.SetAnswer(mb::kIdCancel);  // an exit question would keep the program
  view.windowRect = {300, 310, 420, 440};

  EXPECT_EQ(host.Send(*dlg, {wm::kQueryEndSession, 0, 0}), 1);
  EXPECT_EQ(host.Send(*dlg, {wm::kEndSession, 0, 0}), 0) << "the end was cancelled";
  EXPECT_EQ(files.writeAttempts, 0);
  EXPECT_FALSE(view.endResult.has_value());
  EXPECT_FALSE(view.timers.running.empty());

  trace.Clear();
  EXPECT_EQ(host.Send(*dlg, {wm::kEndSession, 1, 0}), 0);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(view.endResult, ui::kIdCancel);
  EXPECT_TRUE(view.timers.running.empty());
  EXPECT_TRUE(view.hotkeys.registered.empty());
  EXPECT_EQ(dlg->ConversionWorkers(), 0u);
  const std::vector<std::string> lines = UiTraces();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Stopping all timers.\n");
  EXPECT_EQ(lines.back(), "All save thread stopped.\n");
  EXPECT_EQ(WrittenIni().GetInt(L"General", L"Window pos x", -1), 300);
  EXPECT_EQ(WrittenIni().GetString(L"Unknown", L"keep", L""), L"me");
  EXPECT_EQ(files.writeAttempts, 1);

  // The window's destruction that follows does not run the sequence again.
  trace.Clear();
  host.Close(*dlg);
  EXPECT_EQ(files.writeAttempts, 1);
  EXPECT_TRUE(UiTraces().empty());
}

// A settings file that is there but cannot be read whole is the user's: it is
// said at start-up, kept at exit, and said again.
TEST_F(LorikDlgTest, AFileThatCannotBeReadWholeIsNeverReplaced) {
  struct Case {
    const char* name;
    std::function<void(FakeFiles&)> arrange;
  };
  const Case cases[] = {
      {"HeldByAnotherProgram", [](FakeFiles& f) { f.unreadable.insert(kIni); }},
      {"TooLarge",
       [](FakeFiles& f) { f.files[kIni].assign(IniFile::kMaxFileBytes + 1, uint8_t{'\n'}); }},
      {"IllFormedUtf8AfterAByteOrderMark",
       [](FakeFiles& f) {
         const std::string text = "\xEF\xBB\xBF[Capture]\r\nTitle=\xC0\xAF\r\n";
         f.files[kIni].assign(text.begin(), text.end());
       }},
      {"UnpairedSurrogateInUtf16",
       [](FakeFiles& f) {
         f.files[kIni] = {0xFF, 0xFE, '[', 0, 'G', 0, ']', 0, 0x00, 0xD8, '\r', 0, '\n', 0};
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteIni(L"[Unknown]\r\nkeep=me\r\n");
    c.arrange(files);
    const std::vector<uint8_t> before = files.files.at(kIni);
    messages.Clear();
    Start();
    ASSERT_GE(messages.Count(), 1u);
    EXPECT_EQ(messages.Messages()[0].text,
              L"設定ファイルを読み込めませんでした。終了時にこのファイルは変更しません：" + kIni);
    messages.Clear();
    host.Close(*dlg);
    EXPECT_EQ(files.files.at(kIni), before);
    EXPECT_EQ(MessageTexts(),
              std::vector<std::wstring>{
                  L"設定ファイルを読み込めないため、設定を保存しませんでした：" + kIni});
    files.unreadable.clear();
  }
}

TEST_F(LorikDlgTest, AFileThatCannotBeWrittenIsReportedAtExit) {
  WriteIni(L"[Unknown]\r\nkeep=me\r\n");
  Start();
  files.failWrites = true;
  messages.Clear();
  host.Close(*dlg);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::wstring>{L"設定ファイルに保存できませんでした：" + kIni});
}

// Messages of workers and of an inactive program stand above the main window.
TEST_F(LorikDlgTest, TheMainWindowOwnsTheMessagesWhileItExists) {
  ui::FakeDialogView& view = Start();
  EXPECT_EQ(messages.Owner(), view.Handle());
  host.Close(*dlg);
  EXPECT_EQ(messages.Owner(), WindowHandle{});
}

TEST_F(LorikDlgTest, SettingsSurviveARestartUnchanged) {
  WriteIni(
      L"[General]\r\nAlways on top=1\r\nMaximum multi shot no=4\r\n"
      L"[SingleShot]\r\nFolder=C:\\画像\\ゲーム\r\n[Save]\r\nImage type=JPEG\r\n"
      L"[Capture]\r\nArea X=10\r\nArea width=100\r\nPeriod between each capture=50\r\n");
  Start();
  const SettingsRecords first = dlg->Records();
  host.Close(*dlg);
  const auto written = files.files.at(kIni);

  Start();
  EXPECT_EQ(dlg->Records(), first);
  EXPECT_EQ(dlg->Records().shot.singleShot.folder, L"C:\\画像\\ゲーム");
  EXPECT_EQ(dlg->Records().capture.captureArea.right, 110);
  host.Close(*dlg);
  EXPECT_EQ(files.files.at(kIni), written);
}

TEST_F(LorikDlgTest, CaptureClockRunsOnlyFromTenMilliseconds) {
  struct Case {
    const wchar_t* period;
    bool runs;
    unsigned expected;
  };
  const Case cases[] = {
      {L"5", false, 0},
      {L"9", false, 0},
      {L"10", true, 10},
      {L"250", true, 250},
      // Compared as unsigned: a negative text is a huge period, not a short one.
      {L"-1", true, 4294967295u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.period));
    trace.Clear();
    WriteIni(std::wstring(L"[Capture]\r\nPeriod between each capture=") + c.period + L"\r\n");
    Start();
    EXPECT_EQ(dlg->Clock().Running(), c.runs);
    EXPECT_EQ(dlg->Clock().PeriodMs(), c.expected);
    EXPECT_EQ(trace.Count("Starting capture timer.\n"), c.runs ? 1u : 0u);
    host.Close(*dlg);
  }
}

// A search period of 0 or less would search every few milliseconds.
TEST_F(LorikDlgTest, SearchPeriodBelowOneTakesTheDefault) {
  const std::pair<const wchar_t*, unsigned> cases[] = {{L"0", 1000}, {L"-5", 1000}, {L"250", 250}};
  for (const auto& [stored, period] : cases) {
    SCOPED_TRACE(ToUtf8(stored));
    WriteIni(std::wstring(L"[Capture]\r\nSearch period=") + stored + L"\r\n");
    ui::FakeDialogView& view = Start();
    EXPECT_EQ(view.timers.PeriodOf(CLorikDlg::kResearchTimerId), period);
    host.Close(*dlg);
  }
}

// Without the clock the window's timer paces the capture; when that fails too
// it is said.
TEST_F(LorikDlgTest, FailingTimersAreReportedAndStartUpGoesOn) {
  app.captureTimerShared->usable = false;
  WriteIni(L"[General]\r\nCheck on exit=0\r\n");
  host.OnCreate(CLorikDlg::kTemplate, [](ui::FakeDialogView& v) { v.timers.failStart = true; });
  Start();
  // Once at start-up, once more when the settings are applied.
  EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"キャプチャ用タイマの設定に失敗しました",
                                                       L"キャプチャ用タイマの設定に失敗しました",
                                                       L"再捜索用タイマの設定に失敗しました"}));
  EXPECT_EQ(dlg->CaptureTimer(), 0u);
  EXPECT_EQ(dlg->ResearchTimer(), 0u);
}

TEST_F(LorikDlgTest, SecondInstanceOnlySaysItIsRunningAndEnds) {
  WriteIni(L"[General]\r\nAllow multiple boot=0\r\n");
  instance.heldElsewhere = true;
  ui::FakeDialogView& view = Start();
  EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"既に起動しています"}));
  EXPECT_EQ(messages.Messages()[0].caption, L"Lorik");
  EXPECT_EQ(view.endResult, ui::kIdCancel);
  EXPECT_TRUE(view.timers.starts.empty());
  EXPECT_TRUE(trace.Lines().empty());
  host.Close(*dlg);
  // On its way out it still writes back what it read.
  EXPECT_EQ(WrittenIni().GetInt(L"General", L"Allow multiple boot", -1), 0);
  EXPECT_EQ(WrittenIni().GetInt(L"SingleShot", L"ID", -1), 16996);
}

TEST_F(LorikDlgTest, MultipleBootRunsDespiteTheOtherInstance) {
  WriteIni(L"[General]\r\nAllow multiple boot=1\r\n");
  instance.heldElsewhere = true;
  ui::FakeDialogView& view = Start();
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_FALSE(view.endResult.has_value());
  EXPECT_TRUE(view.timers.IsRunning(CLorikDlg::kResearchTimerId));
}

TEST_F(LorikDlgTest, StartUpOptionsShowTheirEffects) {
  WriteIni(
      L"[General]\r\nAlways on top=1\r\n[Capture]\r\nCapture from desktop=1\r\n"
      L"Re-target on boot if capture from desktop=1\r\n");
  ui::FakeDialogView& view = Start();
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::wstring>{
                L"デスクトップキャプチャモードのため、対象ウィンドウを再指定してください"}));
  EXPECT_EQ(messages.Messages()[0].style, mb::kIconExclamation);
  EXPECT_TRUE(view.topmost);
  const auto& last = view.windowPosCalls.back();
  EXPECT_EQ(last.order, ui::ZOrder::Topmost);
  EXPECT_EQ(last.flags, ui::swp::kNoMove | ui::swp::kNoSize);
}

TEST_F(LorikDlgTest, AboutFromTheSystemMenuShowsTheFileVersion) {
  WriteIni(L"");
  Start();
  ASSERT_TRUE(host.Send(*dlg, {ui::wm::kSysCommand, CLorikDlg::kAboutCommand, 0}).has_value());
  ASSERT_NE(host.LastView(CAboutDlg::kTemplate), nullptr);
  EXPECT_EQ(host.LastView(CAboutDlg::kTemplate)->GetItemText(CAboutDlg::kVersionText),
            L"Lorik Version 1.0.0 build 350");
  // Other system commands go on to the default handling.
  EXPECT_FALSE(host.Send(*dlg, {ui::wm::kSysCommand, 0xF060, 0}).has_value());

  system.version.reset();
  host.Send(*dlg, {ui::wm::kSysCommand, CLorikDlg::kAboutCommand, 0});
  EXPECT_EQ(host.LastView(CAboutDlg::kTemplate)->GetItemText(CAboutDlg::kVersionText),
            L"Lorik、バージョン 1.00");
}

TEST(LorikApp, SettingsFileLivesBesideTheExecutable) {
  struct Case {
    const wchar_t* exe;
    const wchar_t* ini;
  };
  const Case cases[] = {
      {L"C:\\Games\\Lorik\\Lorik.exe", L"C:\\Games\\Lorik\\Lorik.ini"},
      {L"C:\\Lorik.exe", L"C:\\Lorik.ini"},
      {L"\\\\server\\share\\tools\\Lorik.exe", L"\\\\server\\share\\tools\\Lorik.ini"},
      {L"D:\\ゲーム\\道具\\Lorik.exe", L"D:\\ゲーム\\道具\\Lorik.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(CLorikApp::IniPathFor(c.exe), c.ini);
}

}  // namespace
}  // namespace lorik
