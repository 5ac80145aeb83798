// The global hotkeys against the real platform: registration collisions
// between processes, and presses from real key input. The same program also
// serves helper modes, started by these tests and by tests/e2e/e2e_hotkeys.sh:
//   --register <log>    registers the default hotkeys and logs what happened
//   --press-log <log>   registers them and logs every accepted press until stopped
//   --focus-window <log> shows a plain window to hold the keyboard focus
// A helper stops when a file named <log>.stop appears, or after a minute.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/HotkeyControl.h"
#include "app/PressFeedback.h"
#include "core/Text.h"
#include "platform/MessageBox.h"
#include "platform/Trace.h"
#include "win32/HotkeysWin32.h"
#include "win32/KeyStateWin32.h"
#include "win32/TimersWin32.h"

namespace lorik {
namespace {

constexpr unsigned kStopCheckTimer = 1;
constexpr DWORD kHelperLifetimeMs = 60000;

// The default shot settings: Ctrl+Alt+S for the single shot, Ctrl+Alt+1 for
// profile 1, profile 2 without a key.
ShotSettings DefaultShots() {
  ShotSettings shots;
  shots.singleShot.id = 16996;
  shots.singleShot.modifier = MOD_CONTROL | MOD_ALT;
  shots.singleShot.virtualKey = 'S';
  MultiShotProfile first;
  first.id = 16997;
  first.modifier = MOD_CONTROL | MOD_ALT;
  first.virtualKey = '1';
  MultiShotProfile second;
  second.id = 16998;
  shots.multiShots = {first, second};
  return shots;
}

// Appends lines to a UTF-8 log at once, so another process can follow it.
class Log {
 public:
  explicit Log(std::filesystem::path path) : path_(std::move(path)) {}
  void Line(const std::string& line) const {
    std::ofstream out(path_, std::ios::app | std::ios::binary);
    out << line << '\n';
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Everything the hotkeys reach, written as log lines.
class LoggingPorts final : public MessageBoxPort,
                           public TracePort,
                           public PressFeedbackPort,
                           public ShotTriggerPort {
 public:
  explicit LoggingPorts(const Log* log) : log_(log) {}
  int Show(std::wstring_view text, std::wstring_view, unsigned style) override {
    Write("message " + ToUtf8(text) + " style " + std::to_string(style));
    return IDOK;
  }
  void Beep() override { Write("beep"); }
  // A line for the log file alone.
  void LogOnly(const std::string& line) const {
    if (log_) log_->Line(line);
  }
  void Write(std::string_view line) override {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    lines.push_back(text);
    if (log_) log_->Line(text);
  }
  void PressFeedback(ButtonSet set) override {
    Write("feedback " + std::to_string(static_cast<int>(set)));
  }
  void TakeSingleShot() override {
    ++singles;
    Write("single");
  }
  void TriggerMultiShot(size_t index) override {
    ++multis;
    Write("multi " + std::to_string(index));
  }

  std::vector<std::string> lines;
  int singles = 0;
  int multis = 0;

 private:
  const Log* log_;
};

// The platform's results of every registration, for the log.
class LoggingHotkeys final : public HotkeyPort {
 public:
  LoggingHotkeys(HotkeyPort& real, TracePort& out) : real_(real), out_(out) {}
  bool Register(int id, unsigned modifiers, unsigned virtualKey) override {
    const bool ok = real_.Register(id, modifiers, virtualKey);
    out_.Write("register " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
               std::to_string(virtualKey) + (ok ? " ok" : " failed"));
    return ok;
  }
  bool Unregister(int id) override { return real_.Unregister(id); }

 private:
  HotkeyPort& real_;
  TracePort& out_;
};

// A window that owns the hotkeys, with the control behind its messages.
class HotkeyWindow {
 public:
  explicit HotkeyWindow(const Log* log, const wchar_t* title = L"Lorik hotkey host",
                        bool visible = false)
      : ports_(log) {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &HotkeyWindow::Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = L"LorikHotkeyTestWindow";
      return RegisterClassW(&wc);
    }();
    (void)atom;
    hwnd_ = CreateWindowExW(0, L"LorikHotkeyTestWindow", title, WS_OVERLAPPEDWINDOW, 100, 100, 360,
                            200, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    hotkeys_ = std::make_unique<HotkeysWin32>(hwnd_);
    logged_ = std::make_unique<LoggingHotkeys>(*hotkeys_, ports_);
    timers_ = std::make_unique<TimerWin32>(hwnd_);
    control_ = std::make_unique<HotkeyControl>(
        HotkeyControl::Ports{*logged_, *timers_, keys_, ports_, ports_, ports_, ports_}, shots);
    if (visible) {
      ShowWindow(hwnd_, SW_SHOW);
      UpdateWindow(hwnd_);
    }
  }
  ~HotkeyWindow() {
    control_->Shutdown();
    DestroyWindow(hwnd_);
  }
  HotkeyWindow(const HotkeyWindow&) = delete;
  HotkeyWindow& operator=(const HotkeyWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  HotkeyControl& Control() { return *control_; }
  LoggingPorts& Ports() { return ports_; }

  ShotSettings shots = DefaultShots();
  int hotkeyMessages = 0;  // WM_HOTKEY as the platform delivered them, repeats included

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HotkeyWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->control_) {
      if (msg == WM_HOTKEY) {
        ++self->hotkeyMessages;
        self->ports_.LogOnly("wm_hotkey " + std::to_string(wp));
        self->control_->OnHotKey(static_cast<int>(wp), LOWORD(lp), HIWORD(lp));
        return 0;
      }
      if (msg == WM_TIMER && self->control_->OnTimer(wp)) return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  LoggingPorts ports_;
  HWND hwnd_ = nullptr;
  KeyStateWin32 keys_;
  std::unique_ptr<HotkeysWin32> hotkeys_;
  std::unique_ptr<LoggingHotkeys> logged_;
  std::unique_ptr<TimerWin32> timers_;
  std::unique_ptr<HotkeyControl> control_;
};

// Dispatches messages for about `ms` milliseconds.
void Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// Runs the message loop of a helper until its stop file appears or time runs out.
int RunHelperLoop(HWND window, const Log& log) {
  std::filesystem::path stop = log.Path();
  stop += L".stop";
  SetTimer(window, kStopCheckTimer, 100, nullptr);
  const ULONGLONG end = GetTickCount64() + kHelperLifetimeMs;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == window && msg.wParam == kStopCheckTimer) {
      if (std::filesystem::exists(stop) || GetTickCount64() > end) break;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  KillTimer(window, kStopCheckTimer);
  return 0;
}

int RegisterMode(const std::filesystem::path& logPath) {
  Log log(logPath);
  HotkeyWindow window(&log);
  window.Control().RegisterHotkeys();
  log.Line("done");
  return 0;
}

int PressLogMode(const std::filesystem::path& logPath) {
  Log log(logPath);
  HotkeyWindow window(&log);
  window.Control().RegisterHotkeys();
  log.Line("ready");
  return RunHelperLoop(window.Handle(), log);
}

int FocusWindowMode(const std::filesystem::path& logPath) {
  Log log(logPath);
  HWND window =
      CreateWindowExW(0, L"STATIC", L"Lorik hotkey focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200,
                      200, 400, 240, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  UpdateWindow(window);
  log.Line("ready");
  const int code = RunHelperLoop(window, log);
  DestroyWindow(window);
  return code;
}

// Runs this program in a helper mode and waits for it to end.
std::vector<std::string> RunRegisterHelper() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path log =
      std::filesystem::temp_directory_path() /
      (L"lorik-hotkeys-" + std::to_wstring(GetCurrentProcessId()) + L".log");
  std::filesystem::remove(log);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --register \"" + log.wstring() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    ADD_FAILURE() << "could not start the helper";
    return {};
  }
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::vector<std::string> lines = ReadLines(log);
  std::filesystem::remove(log);
  return lines;
}

const std::string kNoRepeatCtrlAlt = std::to_string(MOD_NOREPEAT | MOD_CONTROL | MOD_ALT);
const std::string kSingleFailed =
    "message " + ToUtf8(L"シングルショット用ホットキーの設定に失敗しました") + " style 16";
const std::string kMulti01Failed =
    "message " + ToUtf8(L"マルチショット01用ホットキーの設定に失敗しました") + " style 16";

TEST(HotkeyRegistration, AnotherProgramHoldingCtrlAltSFailsOnlyTheSingleShot) {
  HotkeyWindow holder(nullptr);
  ASSERT_TRUE(RegisterHotKey(holder.Handle(), 1, MOD_CONTROL | MOD_ALT, 'S'));
  const std::vector<std::string> lines = RunRegisterHelper();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Registering Single Hotkey",
                       "register 16996 " + kNoRepeatCtrlAlt + " 83 failed",
                       kSingleFailed,
                       "Registering Multi Hotkey",
                       "register 16997 " + kNoRepeatCtrlAlt + " 49 ok",
                       "done",
                   }));
  UnregisterHotKey(holder.Handle(), 1);
}

TEST(HotkeyRegistration, ASecondInstanceReportsEachOfItsHotkeys) {
  HotkeyWindow first(nullptr);
  first.Control().RegisterHotkeys();
  ASSERT_TRUE(first.Ports().lines.size() >= 4u);
  EXPECT_EQ(first.Ports().lines[1], "register 16996 " + kNoRepeatCtrlAlt + " 83 ok");
  EXPECT_EQ(first.Ports().lines[3], "register 16997 " + kNoRepeatCtrlAlt + " 49 ok");

  const std::vector<std::string> lines = RunRegisterHelper();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Registering Single Hotkey",
                       "register 16996 " + kNoRepeatCtrlAlt + " 83 failed",
                       kSingleFailed,
                       "Registering Multi Hotkey",
                       "register 16997 " + kNoRepeatCtrlAlt + " 49 failed",
                       kMulti01Failed,
                       "done",
                   }));
}

TEST(HotkeyRegistration, ReleasedKeysCanBeTakenByAnotherProgram) {
  HotkeyWindow first(nullptr);
  first.Control().RegisterHotkeys();
  first.Control().UnregisterHotkeys();
  const std::vector<std::string> lines = RunRegisterHelper();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "register 16996 " + kNoRepeatCtrlAlt + " 83 ok");
  EXPECT_EQ(lines[3], "register 16997 " + kNoRepeatCtrlAlt + " 49 ok");
}

void Key(WORD vk, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof(in));
}

// Key input injected into the platform: the hotkey fires on every key-down,
// auto-repeat included, and the key state follows the input.
class HotkeyInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Control().RegisterHotkeys();
    ASSERT_EQ(window_.Ports().lines.size(), 4u) << "the hotkeys could not be registered";
  }
  void TearDown() override {
    for (WORD vk : {WORD{'S'}, WORD{'1'}, WORD{VK_MENU}, WORD{VK_CONTROL}}) Key(vk, false);
    Pump(100);
  }
  void Down(WORD vk) {
    Key(vk, true);
    Pump(60);
  }
  void Up(WORD vk) {
    Key(vk, false);
    Pump(60);
  }

  HotkeyWindow window_{nullptr};
};

TEST_F(HotkeyInputTest, HoldingCtrlAltSIsOneShotAndPressingAgainIsAnother) {
  Down(VK_CONTROL);
  Down(VK_MENU);
  Down('S');
  for (int repeat = 0; repeat < 5; ++repeat) Down('S');  // what auto-repeat sends
  EXPECT_EQ(window_.Ports().singles, 1);
  Up('S');
  Down('S');
  EXPECT_EQ(window_.Ports().singles, 2);
  Down('S');
  Up('S');
  Up(VK_MENU);
  Up(VK_CONTROL);
  EXPECT_EQ(window_.Ports().singles, 2);
  EXPECT_EQ(window_.Ports().multis, 0);
  EXPECT_FALSE(window_.Control().ReleasePollRunning()) << "the poll stops once all are released";
  std::cout << "WM_HOTKEY delivered: " << window_.hotkeyMessages << "\n";
}

TEST_F(HotkeyInputTest, TwoHotkeysHeldInterleavedCountOnePressEach) {
  Down(VK_CONTROL);
  Down(VK_MENU);
  Down('S');
  Down('1');
  Down('S');
  Down('1');
  Up('1');
  Down('S');
  Down('1');
  Down('1');
  Up('1');
  Up('S');
  Up(VK_MENU);
  Up(VK_CONTROL);
  EXPECT_EQ(window_.Ports().singles, 1);
  EXPECT_EQ(window_.Ports().multis, 2);
}

}  // namespace
}  // namespace lorik

int wmain(int argc, wchar_t** argv) {
  if (argc == 3) {
    const std::wstring mode = argv[1];
    if (mode == L"--register") return lorik::RegisterMode(argv[2]);
    if (mode == L"--press-log") return lorik::PressLogMode(argv[2]);
    if (mode == L"--focus-window") return lorik::FocusWindowMode(argv[2]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
